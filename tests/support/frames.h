#pragma once
// A frame as it travels on the wire: LEN, the payload (a request's code and arguments, or an
// answer's data), CHK.
#include <algorithm>
#include <initializer_list>

#include "platform/bytes.h"
#include "platform/protocol.h"

namespace testing_support {

inline platform::Bytes frame(const platform::Bytes& payload) {
    platform::Bytes f(payload.size() + 2);
    f[0] = static_cast<std::uint8_t>(payload.size() + 1);
    std::copy(payload.begin(), payload.end(), f.begin() + 1);
    f.back() = platform::frameChecksum(std::span(f.data(), f.size() - 1));
    return f;
}

inline platform::Bytes frame(std::initializer_list<std::uint8_t> payload) {
    return frame(platform::Bytes(payload));
}

}  // namespace testing_support
