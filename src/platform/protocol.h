#pragma once
// Facts of the instrument's frame protocol that both ends share: the checksum and the names of
// the command codes (for traces).
#include <cstdint>
#include <span>

namespace platform {

// Low 8 bits of the sum of the bytes; a low byte of 0 is sent as 1.
std::uint8_t frameChecksum(std::span<const std::uint8_t> lenAndPayload);

// The name of a command code, "Cmd<n>" style text for codes the tool never sends.
const char* commandName(std::uint8_t code);

}  // namespace platform
