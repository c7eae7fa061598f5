#include "link/transport.h"

#include <algorithm>

namespace krnlink {

const char* channelName(Channel c) {
    switch (c) {
        case Channel::Serial:
            return "COM";
        case Channel::Usb:
            return "USB";
        case Channel::Ethernet:
            return "ETH";
    }
    return "?";
}

std::chrono::milliseconds Transport::atLeastOneMs(platform::Duration d) {
    return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(d),
                    std::chrono::milliseconds(1));
}

bool Transport::waitFor(std::size_t n, platform::Duration limit, std::int32_t& polls) {
    const platform::TimePoint deadline = clock_.now() + limit;
    polls = 0;
    while (true) {
        ++polls;
        if (waiting() >= n) return true;
        const platform::Duration left = deadline - clock_.now();
        if (left <= platform::Duration::zero() || !waitForInput(left)) return false;
    }
}

bool Transport::sendByte(std::uint8_t b, bool withEcho, std::int32_t& polls) {
    // Bytes sent without echo check leave their echoes waiting (a resynchronisation counts them).
    if (withEcho) discard();
    if (!send(std::span(&b, 1))) return false;
    if (!withEcho) return true;
    std::uint8_t echo = 0;
    return waitFor(1, waitLimit(), polls) && read(&echo, 1, waitLimit()) && echo == b;
}

bool Transport::settle() {
    const platform::TimePoint deadline = clock_.now() + waitLimit();
    std::int32_t polls = 0;
    discard();
    while (waitFor(1, quietWindow(), polls)) {
        discard();
        if (clock_.now() >= deadline) {
            traceNote("the line does not fall silent");
            return false;
        }
    }
    return true;
}

bool Transport::quietAfterAnswer() {
    std::int32_t polls = 0;
    if (!waitFor(1, quietWindow(), polls)) return true;
    traceNote("surplus bytes after the answer");
    discard();
    return false;
}

bool Transport::settleAfterBurst(std::size_t burst) {
    std::int32_t polls = 0;
    waitFor(burst, waitLimit(), polls);
    const bool echoed = sendByte(0, true, polls);
    traceNote(echoed ? "resynchronised" : "resynchronisation failed: no echo of the zero byte");
    return echoed;
}

void Transport::traceBytes(platform::FrameTrace::Direction dir, platform::ByteSpan bytes) {
    if (trace_ && !bytes.empty()) trace_->bytes(channelName(channel()), dir, bytes);
}

void Transport::traceNote(std::string_view text) {
    if (trace_) trace_->note(channelName(channel()), text);
}

}  // namespace krnlink
