#pragma once
// The copy of the job memory that "Send text..." keeps while it reformats the instrument, its
// write-back, and the differences log of the NVRAM send. They run inside a command's
// conversation: the instrument is connected and locked by the caller.
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// The bytes of job memory in use: the jobs the instrument holds times `DimensioneLavori`,
// bounded by the job memory (`FineMemoriaLavori` - `IndirizzoLavori`). nullopt when the count
// of jobs cannot be read.
std::optional<std::int32_t> jobMemoryInUse(instrument::UCKRNVisual& control);
// The size of this instrument's job memory.
std::int32_t jobMemoryCapacity(const instrument::UCKRNVisual& control);

// Writes the job memory in use to the file; a failed read offers "Comm error" with Retry and
// Cancel. Done when every byte was saved, else Failed (instrument), Cancelled or FileError, and
// no file left behind.
Outcome SalvaLavori(CommandHost& host, const std::string& file);

// Writes back a file of SalvaLavori. The whole file is checked first (count, lines, byte
// values, the job memory of this instrument); a bad file is told in a box with its line and
// nothing is written (FileError). Done when every byte was written.
Outcome RipristinaLavori(CommandHost& host, const std::string& file);

// The job copy file checked before the instrument is opened: for a save, that the target may be
// written; for a write-back, that the copy reads whole and is well formed (its size is checked
// against the instrument's job memory later). Done, or FileError with its box shown.
Outcome checkJobCopyFile(CommandHost& host, const std::string& file, bool save);

// The differences log "Diff.asm" in the program folder: (0, 0, 0) creates it empty, any other
// call appends one line. Always true.
bool FileDifferenze(CommandHost& host, std::int32_t address, std::int16_t expected,
                    std::int16_t read);

// The box of a file that cannot be read or written, and of a file refused before any write.
// With a reason: "The file PATH cannot be read: it is a folder, not a file."
void tellCannotRead(CommandHost& host, const std::string& path, const std::string& reason = "");
void tellCannotWrite(CommandHost& host, const std::string& path, const std::string& reason = "");
// A problem of platform/files.h: the refusal of its line, or the file as a whole.
void tellFileProblem(CommandHost& host, const platform::FileProblem& problem, bool writing = false);
void tellRefusedFile(CommandHost& host, const std::string& path, int line,
                     const std::string& reason);

}  // namespace service
