#pragma once
// Restoring a configuration backup into the connected instrument, converting between firmware
// generations.
#include <optional>
#include "backup/ini_file.h"
#include "backup/restore_plan.h"

#include "backup/result.h"
#include "instrument/uckrnvisual.h"
#include "platform/dialogs.h"

namespace backup {

// The file's own identity checked before any instrument is opened: section, device, level,
// measures. The refusal, or nothing when the file may be restored.
std::optional<Result> checkBackupFile(IniFile& file);

bool SupportoRipristino(const instrument::UCKRNVisual& control);
// taratura: calibration; configStrumento: instrument configuration; configCilindro: the press
// limits of electric presses. The file and every key to be written are checked first; a
// refusal writes nothing. Progress goes from 0 to 100; a stop answer ends the restore before
// its next write (Cancelled). Writes made stay in the instrument.
Result EseguiRipristino(instrument::UCKRNVisual& control, IniFile& file, bool taratura,
                        bool configStrumento, bool configCilindro, platform::Progress& progress);
Result EseguiRipristino(instrument::UCKRNVisual& control, IniFile& file, bool taratura,
                        bool configStrumento, bool configCilindro);

}  // namespace backup
