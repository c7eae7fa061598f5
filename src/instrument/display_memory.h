#pragma once
// Reading the instrument's display memory (command 22): the three pixel planes the screen copy
// draws.
#include <cstdint>
#include <optional>
#include <vector>

#include "link/frame_link.h"

namespace instrument {

// Command 22 with the two low bytes of the address, low byte first. The data bytes of the
// answer, or nothing when the exchange failed or the answer held fewer than 2 data bytes.
std::optional<std::vector<std::uint8_t>> LeggiMemoriaDisplay(krnlink::FrameLink& link,
                                                             std::int32_t indirizzo);

}  // namespace instrument
