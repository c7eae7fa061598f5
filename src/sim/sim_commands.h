#pragma once
// What the simulated instrument answers to each command code.
#include <optional>

#include "platform/bytes.h"
#include "platform/clock.h"

namespace sim {

class SimInstrument;

// The answer's data bytes; nullopt when the instrument sends no answer at all.
std::optional<platform::Bytes> answerCommand(SimInstrument& instrument, platform::TimePoint t,
                                             std::uint8_t code, platform::ByteSpan args);

}  // namespace sim
