#include "instrument/display_memory.h"

#include "platform/protocol.h"

namespace instrument {

std::optional<std::vector<std::uint8_t>> LeggiMemoriaDisplay(krnlink::FrameLink& link,
                                                             std::int32_t indirizzo) {
    link.BufferTx[0] = 3;
    link.BufferTx[1] = platform::cmd::ReadDisplayMemory;
    link.BufferTx[2] = static_cast<std::uint8_t>(indirizzo & 0xFF);
    link.BufferTx[3] = static_cast<std::uint8_t>((indirizzo >> 8) & 0xFF);
    if (!link.EseguiTransazione(false) || link.BufferRx[0] < 2) return std::nullopt;
    const std::size_t count = link.BufferRx[0];
    return std::vector<std::uint8_t>(
        link.BufferRx.begin() + 1, link.BufferRx.begin() + 1 + static_cast<std::ptrdiff_t>(count));
}

}  // namespace instrument
