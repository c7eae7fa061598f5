#include "instrument/display_memory.h"

#include "platform/protocol.h"

namespace instrument {

std::optional<std::vector<std::uint8_t>> LeggiMemoriaDisplay(krnlink::FrameLink& link,
                                                             std::int32_t indirizzo) {
    if (!link.exchange(krnlink::Request(platform::cmd::ReadDisplayMemory).word(indirizzo), false) ||
        link.BufferRx[0] < 2)
        return std::nullopt;
    const std::size_t count = link.BufferRx[0];
    return std::vector<std::uint8_t>(
        link.BufferRx.begin() + 1, link.BufferRx.begin() + 1 + static_cast<std::ptrdiff_t>(count));
}

}  // namespace instrument
