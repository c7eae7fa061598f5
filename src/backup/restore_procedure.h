#pragma once
// Restoring a configuration backup into the connected instrument, converting between firmware
// generations.
#include "backup/ini_file.h"
#include "instrument/uckrnvisual.h"

namespace backup {

bool SupportoRipristino(const instrument::UCKRNVisual& control);
// taratura: calibration; configStrumento: instrument configuration; configCilindro: the press
// limits of electric presses. True when the file was accepted and every write made succeeded.
bool EseguiRipristino(instrument::UCKRNVisual& control, IniFile& file, bool taratura, bool configStrumento,
                      bool configCilindro, platform::Progress* progress = nullptr);

}  // namespace backup
