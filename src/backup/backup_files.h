#pragma once
// The backup file flows the desktop program and krnctl share: taking a backup into a file,
// opening a backup file, restoring from it. Each returns the result with the text to show.
#include <optional>
#include <string>

#include "backup/ini_file.h"
#include "backup/restore_plan.h"
#include "backup/result.h"
#include "instrument/uckrnvisual.h"
#include "platform/dialogs.h"

namespace backup {

// Takes a backup into a fresh file: it is built beside the target and renamed into place, so
// the target is either the old file untouched or the whole new backup, never a mix.
Result backupToFile(instrument::UCKRNVisual& control, const std::string& path);

// Opens an existing backup file into `ini`; the file error when it cannot be read.
std::optional<Result> openBackupFile(IniFile& ini, const std::string& path);

// Restores the chosen groups from an opened backup file.
Result restoreFromFile(instrument::UCKRNVisual& control, IniFile& ini, const RestoreGroups& groups,
                       platform::Progress& progress);

// "calibration, configuration" for the groups chosen.
std::string groupNames(const RestoreGroups& groups);

}  // namespace backup
