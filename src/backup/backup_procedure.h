#pragma once
// The configuration backup: every setting of the connected instrument into one INI section, as
// the key table lists them.
#include <string>

#include "backup/ini_file.h"
#include "backup/key_table.h"
#include "backup/result.h"
#include "instrument/uckrnvisual.h"

namespace backup {

bool SupportoBackup(const instrument::UCKRNVisual& control);
// Writes the backup keys into an open store. Refused (nothing written) for a closed store, an
// instrument the backup does not support, an unformatted memory or one in update mode. After a
// failed read only the keys that need no read are written and the result is a communication
// failure; the caller then does not save the store.
Result EseguiBackup(instrument::UCKRNVisual& control, IniFile& file);

// The most characters of a text row's slot on the connected instrument.
int textSlot(const instrument::UCKRNVisual& control, const KeySpec& row);

}  // namespace backup
