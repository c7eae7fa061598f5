#pragma once
// One request to the instrument as it goes into BufferTx: the command code, then its argument
// bytes in order. LEN is counted from the bytes given, never written by hand, so a request
// cannot go out with a length that differs from what it carries.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace krnlink {

class Request {
public:
    // The most a request carries, code included: its echo and the answer's LEN must fit the
    // 51 bytes the Ethernet receive buffer keeps (LEN, these bytes, CHK, then the answer's LEN).
    static constexpr std::size_t kMaxBytes = 48;

    explicit Request(std::uint8_t code, std::initializer_list<std::uint8_t> arguments = {});

    Request& byte(std::uint8_t b);
    // Two bytes, low first (a display memory address, a job number).
    Request& word(std::int32_t value);
    // An NVRAM or flash address: three bytes, low first.
    Request& address(std::int32_t value);
    Request& bytes(std::span<const std::uint8_t> data);

    // The code and its arguments; empty when more than kMaxBytes were given, which no exchange
    // sends.
    std::span<const std::uint8_t> payload() const;

private:
    std::array<std::uint8_t, kMaxBytes> bytes_{};
    std::size_t size_ = 0;
    bool overflow_ = false;
};

}  // namespace krnlink
