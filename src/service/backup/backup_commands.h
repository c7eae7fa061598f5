#pragma once
// The configuration backup into an INI file and its restore, as krnctl offers them.
#include <string>

#include "backup/restore_plan.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// Backs the chosen instrument's configuration up into a fresh file (the old file stays whole
// until the new one is complete). `summary` receives the line to report on success.
Outcome BackupCommand(CommandHost& host, const std::string& file, std::string& summary);

// Asks, then restores the chosen groups of the file into the locked instrument. The file is
// checked whole before anything is written; Cancel (or Ctrl-C) stops before the next write.
Outcome RestoreCommand(CommandHost& host, const std::string& file,
                       const backup::RestoreGroups& groups, std::string& summary);

}  // namespace service
