#pragma once
// "&Clock...": the instrument's clock beside the computer's, set from the computer's.
#include <optional>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// Selection, the link opened without lock, "No clock" or the clock dialog, the conversation ended.
Outcome ClockCommand(CommandHost& host);

struct ClockReading {
    platform::LocalDateTime instrument;
    platform::LocalDateTime pc;
    long long difference = 0;  // seconds, instrument minus computer
};

// One reading of the instrument's clock beside the computer's; nothing when the read failed.
std::optional<ClockReading> readClock(instrument::UCKRNVisual& control, platform::Clock& clock);

}  // namespace service
