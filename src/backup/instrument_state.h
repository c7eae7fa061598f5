#pragma once
// Whether the connected instrument can take a backup or a restore at all: a supported family
// and level, a formatted memory in the format its firmware expects, and no firmware loader.
#include <optional>
#include <string>

#include "backup/result.h"
#include "instrument/uckrnvisual.h"

namespace backup {

// The refusal for an instrument that is not usable; nullopt when it is. `supported` is the
// procedure's own table check; `nothingDone` ends the message ("Nothing was written.").
std::optional<Result> refuseInstrument(const instrument::UCKRNVisual& control, bool supported,
                                       const std::string& nothingDone);

}  // namespace backup
