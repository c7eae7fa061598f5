#include "link/request.h"

namespace krnlink {

Request::Request(std::uint8_t code, std::initializer_list<std::uint8_t> arguments) {
    byte(code);
    bytes(std::span(arguments.begin(), arguments.size()));
}

Request& Request::byte(std::uint8_t b) {
    if (size_ == kMaxBytes)
        overflow_ = true;
    else
        bytes_[size_++] = b;
    return *this;
}

Request& Request::word(std::int32_t value) {
    return byte(static_cast<std::uint8_t>(value & 0xFF))
        .byte(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

Request& Request::address(std::int32_t value) {
    return word(value).byte(static_cast<std::uint8_t>((value >> 16) & 0xFF));
}

Request& Request::bytes(std::span<const std::uint8_t> data) {
    for (std::uint8_t b : data) byte(b);
    return *this;
}

std::span<const std::uint8_t> Request::payload() const {
    if (overflow_) return {};
    return std::span(bytes_.data(), size_);
}

}  // namespace krnlink
