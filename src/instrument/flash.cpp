#include "instrument/flash.h"

#include <algorithm>

#include "instrument/nvram.h"
#include "platform/protocol.h"

namespace instrument {

bool Flash::OpenWriteFlash() {
    FlashBloccoChiuso = true;
    return true;
}

bool Flash::WriteFlash(std::int32_t indirizzo, std::uint8_t dato) {
    if (!FlashBloccoChiuso && ((indirizzo ^ FlashIndirizzoBlocco) & 0x7FFFFFF8) != 0) {
        if (!CloseWriteFlash()) return false;
    }
    if (FlashBloccoChiuso) {
        FlashIndirizzoBlocco = indirizzo & 0x7FFFFFF8;
        FlashBuffer.fill(0xFF);
        FlashBloccoChiuso = false;
    }
    FlashBuffer[static_cast<std::size_t>(indirizzo & 7)] = dato;
    return true;
}

bool Flash::CloseWriteFlash() {
    if (FlashBloccoChiuso) return true;
    FlashBloccoChiuso = true;
    link_.prepare(krnlink::Request(platform::cmd::WriteFlashBlock)
                      .address(FlashIndirizzoBlocco)
                      .bytes(FlashBuffer));
    if (!link_.ComandoConConferma()) return false;
    for (int offset = 0; offset < 8; offset += 2) {
        auto pair = ReadFlash(FlashIndirizzoBlocco + offset);
        if (!pair) return false;
        if (pair->first != (FlashBuffer[static_cast<std::size_t>(offset)] ^ kFlashReadMask) ||
            pair->second != (FlashBuffer[static_cast<std::size_t>(offset) + 1] ^ kFlashReadMask))
            return false;
    }
    return true;
}

bool Flash::ClearFlash(std::int32_t indirizzo) {
    if (indirizzo < 0 || indirizzo % 64 != 0) return false;
    link_.prepare(krnlink::Request(platform::cmd::ClearFlash).address(indirizzo));
    if (!link_.ComandoConConferma()) return false;
    constexpr std::uint8_t erased = 0xFF ^ kFlashReadMask;
    for (int offset = 0; offset < 64; offset += 2) {
        auto pair = ReadFlash(indirizzo + offset);
        if (!pair || pair->first != erased || pair->second != erased) return false;
    }
    return true;
}

std::optional<std::uint8_t> Flash::readByte(std::int32_t indirizzo) {
    if (!link_.exchange(krnlink::Request(platform::cmd::ReadFlash).address(indirizzo), false) ||
        link_.BufferRx[0] != 1)
        return std::nullopt;
    return link_.BufferRx[1];
}

std::optional<std::pair<std::uint8_t, std::uint8_t>> Flash::ReadFlash(std::int32_t indirizzo) {
    auto first = readByte(indirizzo);
    if (!first) return std::nullopt;
    auto second = readByte(indirizzo + 1);
    if (!second) return std::nullopt;
    return std::make_pair(*first, *second);
}

}  // namespace instrument
