#include "link/serial_transport.h"

#include <algorithm>

namespace krnlink {

namespace {
constexpr platform::Duration kByteWait = std::chrono::milliseconds(700);
// The zero burst of a resynchronisation stops early when the line takes this long.
constexpr platform::Duration kResyncBurst = std::chrono::seconds(5);
constexpr std::size_t kBurstBytes = 256;
// More than the port's input can hold between two looks at it.
constexpr std::size_t kDropChunk = 65536;
// Quiet: a few byte times plus the wake-up of the port's wait.
constexpr platform::Duration kQuietWindow = std::chrono::milliseconds(5);
}  // namespace

platform::Duration SerialTransport::quietWindow() const {
    return kQuietWindow;
}
platform::Duration SerialTransport::waitLimit() const {
    return kByteWait;
}

bool SerialTransport::open() {
    if (port_.isOpen()) port_.close();
    port_.open(location_);
    if (!port_.isOpen()) {
        traceNote("cannot open " + location_);
        return false;
    }
    traceNote("opened " + location_);
    discard();
    return true;
}

void SerialTransport::close() {
    if (port_.isOpen()) traceNote("closed " + location_);
    port_.close();
}

bool SerialTransport::ready() {
    if (port_.isOpen()) return true;
    port_.open(location_);
    traceNote(port_.isOpen() ? "reopened " + location_ : "cannot reopen " + location_);
    reopened_ = reopened_ || port_.isOpen();
    return port_.isOpen();
}

bool SerialTransport::send(platform::ByteSpan bytes) {
    const bool sent = port_.isOpen() && port_.write(bytes);
    if (sent) traceBytes(platform::FrameTrace::Direction::Tx, bytes);
    return sent;
}

std::size_t SerialTransport::waiting() {
    return port_.isOpen() ? port_.bytesAvailable() : 0;
}

bool SerialTransport::waitForInput(platform::Duration left) {
    if (!port_.isOpen()) return false;
    // Blocks in the port until new input arrives or the time is up.
    port_.waitForReadyRead(atLeastOneMs(left));
    return true;
}

bool SerialTransport::read(std::uint8_t* out, std::size_t n, platform::Duration limit) {
    // Each byte may take up to the limit after the one before it.
    std::size_t got = 0;
    while (got < n) {
        const platform::Bytes chunk = port_.read(n - got);
        if (chunk.empty()) {
            std::int32_t polls = 0;
            if (waitFor(1, limit, polls)) continue;
            traceNote("no byte within " + std::to_string(limit.count() / 1000000) + " ms");
            return false;
        }
        traceBytes(platform::FrameTrace::Direction::Rx, chunk);
        received_ += chunk.size();
        std::copy(chunk.begin(), chunk.end(), out + got);
        got += chunk.size();
    }
    return true;
}

void SerialTransport::discard() {
    if (!port_.isOpen()) return;
    // What is dropped is counted too: it shows that the instrument is there.
    if (const std::size_t n = std::min(port_.bytesAvailable(), kDropChunk); n > 0) {
        const platform::Bytes dropped = port_.read(n);
        received_ += dropped.size();
        if (trace_ && !dropped.empty()) traceNote("dropped " + platform::FrameTrace::hex(dropped));
    }
    port_.discardInput();
}

bool SerialTransport::resynchronise() {
    // One zero, the port closed and opened again, then a burst of zeros whose echoes are
    // awaited before one last zero is sent with echo check.
    traceNote("resynchronisation: zero byte, port reopened, zero burst");
    std::int32_t polls = 0;
    sendByte(0, false, polls);
    port_.close();
    port_.open(location_);
    reopened_ = true;
    const platform::TimePoint reopened = clock_.now();
    std::size_t sent = 0;
    const std::uint8_t zero = 0;
    while (sent < kBurstBytes && clock_.now() - reopened < kResyncBurst &&
           port_.write(std::span(&zero, 1)))
        ++sent;
    traceNote("zero burst: " + std::to_string(sent) + " bytes sent");
    return settleAfterBurst(kBurstBytes);
}

}  // namespace krnlink
