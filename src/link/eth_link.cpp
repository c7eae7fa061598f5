// The Ethernet channel: frames in datagrams through the instrument's serial-to-Ethernet module,
// and the module's text commands.
#include "link/frame_link.h"

#include <algorithm>

namespace krnlink {

void FrameLink::ethTakeDatagrams() {
    // Only the connected instrument's answers count; anything else on the socket is dropped.
    while (socket_->hasPendingDatagram()) {
        auto d = socket_->receive();
        if (!d) break;
        if (d->senderAddress == remoteAddress_ && d->senderPort == remotePort_)
            ethRx_.insert(ethRx_.end(), d->data.begin(), d->data.end());
    }
}

bool FrameLink::InviaTramaEth() {
    if (!socket_) return false;
    ethTakeDatagrams();
    ethRx_.clear();
    return socket_->sendTo(std::span(BufferTx.data(), static_cast<std::size_t>(BufferTx[0]) + 1),
                           remoteHost_, remotePort_);
}

std::uint8_t FrameLink::LeggiByteEth() {
    if (ethRx_.empty()) return 0;
    std::uint8_t b = ethRx_.front();
    ethRx_.pop_front();
    return b;
}

bool FrameLink::ethCollect(int n, int offset) {
    if (!socket_) return false;
    const platform::TimePoint start = clock_.now();
    bool overflow = false;
    for (int taken = 0; taken < n;) {
        if (ethRx_.empty()) ethTakeDatagrams();
        if (!ethRx_.empty()) {
            std::uint8_t b = LeggiByteEth();
            int index = offset + taken++;
            if (index <= 50)
                BufferRx[static_cast<std::size_t>(index)] = b;
            else
                overflow = true;
            continue;
        }
        platform::Duration left = kEthWait - (clock_.now() - start);
        if (left <= platform::Duration::zero()) return false;
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left);
        socket_->waitForReadyRead(std::max(ms, std::chrono::milliseconds(1)));
    }
    return !overflow;
}

bool FrameLink::AttendiByteEth(int n) { return ethCollect(n, 0); }

void FrameLink::ethDrain() {
    // Waits out the whole limit (nothing can fill 10000 bytes), then drops what arrived.
    ethCollect(10000, 0);
    ethTakeDatagrams();
    ethRx_.clear();
}

bool FrameLink::resyncEthernet() {
    // The module carries no line to resynchronise; a zero byte that comes back echoed shows
    // the instrument is listening again.
    if (!socket_) return false;
    ethTakeDatagrams();
    ethRx_.clear();
    const std::uint8_t zero = 0;
    if (!socket_->sendTo(std::span(&zero, 1), remoteHost_, remotePort_)) return false;
    const bool echoed = ethCollect(1, 0) && BufferRx[0] == 0;
    ethRx_.clear();
    return echoed;
}

bool FrameLink::exchangeEthernet(bool senzaRitentativi) {
    const int requestBytes = BufferTx[0] + 1;
    const FrameBuffer request = BufferTx;
    for (int attempt = 1; attempt <= 4; ++attempt) {
        if (InviaTramaEth() && AttendiByteEth(requestBytes + 1) &&
            std::equal(request.begin(), request.begin() + requestBytes, BufferRx.begin())) {
            const int len = BufferRx[static_cast<std::size_t>(requestBytes)];
            if (len >= 1 && len <= 50) {
                BufferRx[0] = static_cast<std::uint8_t>(len);
                if (ethCollect(len, 1) && checksumOk(len)) {
                    BufferRx[0] = static_cast<std::uint8_t>(len - 1);
                    return true;
                }
            }
        }
        if (senzaRitentativi) return false;
        const std::array<std::uint8_t, 18> zeros{};
        socket_->sendTo(zeros, remoteHost_, remotePort_);
        ethRx_.clear();
        ethDrain();
    }
    return false;
}

std::optional<std::string> FrameLink::ComandoUDP(const std::string& command) {
    if (!socket_) return std::nullopt;
    ethTakeDatagrams();
    ethRx_.clear();
    platform::Bytes datagram(command.begin(), command.end());
    datagram.push_back(13);
    if (!socket_->sendTo(datagram, remoteHost_, remotePort_)) return std::nullopt;
    const platform::TimePoint start = clock_.now();
    while (true) {
        ethTakeDatagrams();
        if (!ethRx_.empty()) {
            std::string answer;
            for (std::uint8_t b : ethRx_) {
                if (b == 13) break;
                answer += static_cast<char>(b);
            }
            ethRx_.clear();
            return answer;
        }
        platform::Duration left = kModuleCommandWait - (clock_.now() - start);
        if (left <= platform::Duration::zero()) return std::nullopt;
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left);
        socket_->waitForReadyRead(std::max(ms, std::chrono::milliseconds(1)));
    }
}

}  // namespace krnlink
