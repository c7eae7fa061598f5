#include "link/eth_transport.h"

#include <algorithm>
#include <array>

namespace krnlink {

namespace {
constexpr platform::Duration kEthWait = std::chrono::milliseconds(1000);
constexpr platform::Duration kModuleCommandWait = std::chrono::seconds(2);
constexpr std::size_t kFlushZeros = 18;
constexpr std::uint8_t kCarriageReturn = 13;
// Quiet: a few byte times plus the module's gathering of a datagram and the network.
constexpr platform::Duration kQuietWindow = std::chrono::milliseconds(10);
}  // namespace

platform::Duration EthernetTransport::quietWindow() const {
    return kQuietWindow;
}
platform::Duration EthernetTransport::waitLimit() const {
    return kEthWait;
}

bool EthernetTransport::open() {
    socket_.close();
    if (!localAddress_.empty()) socket_.bind(localAddress_, 0);
    address_ = socket_.resolve(host_);
    if (address_.empty()) {
        traceNote("cannot resolve " + host_);
        return false;
    }
    traceNote("remote " + host_ + " = " + address_ + ":" + std::to_string(port_));
    resynchronise();  // the echo is not needed
    return true;
}

void EthernetTransport::close() {
    socket_.close();
    rx_.clear();
    if (!address_.empty()) traceNote("socket closed");
}

bool EthernetTransport::send(platform::ByteSpan bytes) {
    if (address_.empty() || !socket_.sendTo(bytes, address_, port_)) return false;
    traceBytes(platform::FrameTrace::Direction::Tx, bytes);
    return true;
}

void EthernetTransport::takeDatagrams() {
    while (socket_.hasPendingDatagram()) {
        auto d = socket_.receive();
        if (!d) break;
        if (d->senderAddress == address_ && d->senderPort == port_) {
            traceBytes(platform::FrameTrace::Direction::Rx, d->data);
            received_ += d->data.size();
            rx_.insert(rx_.end(), d->data.begin(), d->data.end());
        } else if (trace_) {
            traceNote("ignored datagram from " + d->senderAddress + ":" +
                      std::to_string(d->senderPort) + ": " + platform::FrameTrace::hex(d->data));
        }
    }
}

bool EthernetTransport::waitForInput(platform::Duration left) {
    socket_.waitForReadyRead(atLeastOneMs(left));
    return true;
}

bool EthernetTransport::waitUntil(platform::TimePoint deadline) {
    const platform::Duration left = deadline - clock_.now();
    return left > platform::Duration::zero() && waitForInput(left);
}

std::size_t EthernetTransport::waiting() {
    takeDatagrams();
    return rx_.size();
}

bool EthernetTransport::read(std::uint8_t* out, std::size_t n, platform::Duration limit) {
    std::int32_t polls = 0;
    if (!waitFor(n, limit, polls)) {
        traceNote("only " + std::to_string(rx_.size()) + " of " + std::to_string(n) +
                  " bytes came within " + std::to_string(limit.count() / 1000000) + " ms");
        return false;
    }
    std::copy_n(rx_.begin(), n, out);
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
}

void EthernetTransport::discard() {
    takeDatagrams();
    if (!rx_.empty())
        traceNote("dropped " + platform::FrameTrace::hex(platform::Bytes(rx_.begin(), rx_.end())));
    rx_.clear();
}

bool EthernetTransport::resynchronise() {
    discard();
    const std::uint8_t zero = 0;
    if (!send(std::span(&zero, 1))) return false;
    std::uint8_t echo = 1;
    const bool echoed = read(&echo, 1, kEthWait) && echo == 0;
    rx_.clear();
    return echoed;
}

bool EthernetTransport::recover() {
    const std::array<std::uint8_t, kFlushZeros> zeros{};
    send(zeros);
    rx_.clear();
    // The drain waits out the whole limit, then drops whatever came.
    const platform::TimePoint deadline = clock_.now() + kEthWait;
    while (waitUntil(deadline)) takeDatagrams();
    takeDatagrams();
    traceNote("drain: dropped " + std::to_string(rx_.size()) + " bytes");
    rx_.clear();
    return true;
}

std::optional<std::string> EthernetTransport::command(const std::string& text) {
    discard();
    platform::Bytes datagram(text.begin(), text.end());
    datagram.push_back(kCarriageReturn);
    traceNote("module command " + text);
    if (!send(datagram)) return std::nullopt;
    const platform::TimePoint deadline = clock_.now() + kModuleCommandWait;
    while (true) {
        takeDatagrams();
        if (!rx_.empty()) {
            std::string answer;
            for (std::uint8_t b : rx_) {
                if (b == kCarriageReturn) break;
                answer += static_cast<char>(b);
            }
            rx_.clear();
            traceNote("module answer " + answer);
            return answer;
        }
        if (!waitUntil(deadline)) {
            traceNote("module command " + text + ": no answer within 2 s");
            return std::nullopt;
        }
    }
}

}  // namespace krnlink
