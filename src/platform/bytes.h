#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

// "05 0F 23" style, upper case, one blank between bytes.
std::string toHex(ByteSpan bytes);

}  // namespace platform
