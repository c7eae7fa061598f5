#pragma once
// Byte-level copies of the instrument's NVRAM: the export of an address range to "Memory.asm",
// its import, the export of the scrambled user list, and the "&Esporta le differenze" mode.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// The hidden setting that makes the export read one byte per frame on every instrument:
// "1" under application "krnsetup", section "Preferenze", key "ExportPerByte".
inline constexpr const char* kSettingsApplication = "krnsetup";
inline constexpr const char* kExportPerByteKey = "ExportPerByte";
// The last address the export offers.
inline constexpr std::int32_t kUltimoIndirizzoExport = 524287;

struct MemoryExportOptions {
    std::string file;      // "" = "Memory.asm" in the program folder
    bool perByte = false;  // one byte per frame even where block reads exist
};

// "E&xport memory...": selection, first and last address, connection and transfer lock, one
// line per address; instruments with block reads are read 15 bytes per frame.
Outcome ExportMemoryCommand(CommandHost& host);
Outcome ExportMemory(CommandHost& host, const MemoryExportOptions& options);

// "&Import memory...": the file is checked whole before the first write; every byte is read
// (as a test of the link) and then written.
Outcome ImportMemoryCommand(CommandHost& host);
// written (when given): how many of the file's bytes were written before the import ended, and
// how many the file holds.
struct ImportCount {
    std::size_t written = 0;
    std::size_t total = 0;
};
Outcome ImportMemory(CommandHost& host, const std::string& file, ImportCount* count = nullptr);

// "&Export users' list...": the user area, one scrambled number per byte, to a file the
// technician chooses.
Outcome ExportUsersCommand(CommandHost& host);

// "&Esporta le differenze": toggles the mode the NVRAM send honours (CommandHost::soloDifferenze).
Outcome DifferencesModeCommand(CommandHost& host);

// The export's loop: one dump line per address from `from` to `to` into `out`, 15 bytes per
// frame when `blocks` (a block that fails is read again byte by byte). step(addresses done)
// answers false to stop. A read that fails on a line that has proved dead (nothing heard
// through all its attempts) ends the loop without its line.
enum class DumpEnd { Done, Stopped, LineDead };
DumpEnd writeMemoryDump(instrument::UCKRNVisual& control, std::int32_t from, std::int32_t to,
                        bool blocks, std::ostream& out, const std::function<bool(long)>& step);

// Whether the export reads 15 bytes per frame on this instrument.
bool exportUsesBlockReads(const instrument::UCKRNVisual& control);

}  // namespace service
