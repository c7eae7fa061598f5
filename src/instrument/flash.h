#pragma once
// The buffered flash writer: 8-byte write blocks, 64-byte erase sectors, every write and erase
// verified by reading back through the read mask.
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "link/frame_link.h"

namespace instrument {

// Every flash byte the instrument sends back (command 24) is XOR-ed with this mask.
inline constexpr std::uint8_t kFlashReadMask = 0xA5;

class Flash {
public:
    explicit Flash(krnlink::FrameLink& link) : link_(link) {}

    bool OpenWriteFlash();
    bool WriteFlash(std::int32_t indirizzo, std::uint8_t dato);
    bool CloseWriteFlash();
    bool ClearFlash(std::int32_t indirizzo);
    // The masked bytes at indirizzo and indirizzo + 1.
    std::optional<std::pair<std::uint8_t, std::uint8_t>> ReadFlash(std::int32_t indirizzo);

    bool FlashBloccoChiuso = true;
    std::int32_t FlashIndirizzoBlocco = 0;
    std::array<std::uint8_t, 8> FlashBuffer{};

private:
    std::optional<std::uint8_t> readByte(std::int32_t indirizzo);
    krnlink::FrameLink& link_;
};

}  // namespace instrument
