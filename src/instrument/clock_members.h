#pragma once
// The instrument's real-time clock: seven packed-BCD bytes in register-file order.
#include <array>
#include <cstdint>
#include <optional>

#include "link/frame_link.h"
#include "platform/clock.h"

namespace instrument {

// Decodes the answer of command 27: seconds, minutes, hours, day, weekday (ignored), month,
// year within 2000..2099; bits outside each field's mask are ignored.
platform::LocalDateTime decodeClock(const std::array<std::uint8_t, 7>& b);
// The seven bytes command 28 sends for a date-time: weekday 1..7 with Sunday = 1, unpacked.
std::array<std::uint8_t, 7> encodeClock(const platform::LocalDateTime& t);

// Command 27: the instrument's date and time; nullopt unless exactly seven bytes came.
std::optional<platform::LocalDateTime> LeggiOra(krnlink::FrameLink& link);
// Command 28 with the computer's local date and time, confirmed.
bool SicronizzaOra(krnlink::FrameLink& link);

}  // namespace instrument
