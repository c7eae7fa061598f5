#pragma once
// The program folder: the folder with the tool's data files. --folder DIR, else KRN_FOLDER,
// else a per-user data folder that gets each shipped data file it lacks. The installation
// directory is never written.
#include <string>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// "Open program folder": the program folder shown to the technician (the desktop program opens
// it, krnctl prints it). A folder that is not there, or that cannot be shown, is told in a box
// with its path: FileError.
Outcome ProgramFolderCommand(CommandHost& host);

// perUserFolder: where the per-user copy lives; shipped: the data/ folder that came with the
// program. Returns the folder to use, created when needed; "" when it cannot be created.
std::string resolveProgramFolder(const std::string& option, const std::string& perUserFolder,
                                 const std::string& shipped);

// The shipped data/ folder: `installed` (relative to the program's own folder, where an installed
// copy keeps its data) when that folder exists, else `buildTree` (the source tree's data/, for
// programs run from their build folder).
std::string shippedDataFolder(const std::string& programDirectory, const std::string& installed,
                              const std::string& buildTree);

}  // namespace service
