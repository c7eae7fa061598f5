#pragma once
// The configuration backup: every setting of the connected instrument into one INI section.
#include "backup/ini_file.h"
#include "instrument/uckrnvisual.h"

namespace backup {

bool SupportoBackup(const instrument::UCKRNVisual& control);
// Writes the backup keys into an open store; true when every memory read succeeded. The caller
// saves the store. After a failed read only constant and option keys are written.
bool EseguiBackup(instrument::UCKRNVisual& control, IniFile& file);

}  // namespace backup
