// The exchange common to all channels, the serial channel's exchange and resynchronisation, and
// the serial/USB byte operations.
#include "link/frame_link.h"

#include "platform/protocol.h"

namespace krnlink {

const char* channelName(Channel c) {
    switch (c) {
        case Channel::Serial: return "COM";
        case Channel::Usb: return "USB";
        case Channel::Ethernet: return "ETH";
    }
    return "?";
}

FrameLink::FrameLink(platform::Clock& clock, platform::UsbBridge* usb,
                     platform::SerialPortEnumerator* ports)
    : clock_(clock), usb_(usb), ports_(ports) {}

FrameLink::~FrameLink() {
    if (connected_) ChiudiPortaComunicazione();
}

Channel FrameLink::currentChannel() const {
    if (usbHandle_ != 0) return Channel::Usb;
    if (ethernetMode_) return Channel::Ethernet;
    return Channel::Serial;
}

void FrameLink::AggiungiChecksum() {
    BufferTx[0] = static_cast<std::uint8_t>(BufferTx[0] + 1);
    std::size_t n = BufferTx[0];
    if (n > 50) return;  // never prepared by the tool; the exchange refuses it
    BufferTx[n] = platform::frameChecksum(std::span(BufferTx.data(), n));
}

bool FrameLink::checksumOk(int len) const {
    // BufferRx[0] holds LEN, BufferRx[1..len-1] the data, BufferRx[len] the CHK.
    return platform::frameChecksum(std::span(BufferRx.data(), static_cast<std::size_t>(len))) ==
           BufferRx[static_cast<std::size_t>(len)];
}

bool FrameLink::EseguiTransazione(bool senzaRitentativi) {
    BufferRx[0] = 0;
    if (BufferTx[0] < 1 || BufferTx[0] > 49) return false;
    AggiungiChecksum();
    bool ok = false;
    switch (currentChannel()) {
        case Channel::Serial: ok = exchangeSerial(); break;
        case Channel::Usb: ok = exchangeUsb(senzaRitentativi); break;
        case Channel::Ethernet: ok = exchangeEthernet(senzaRitentativi); break;
    }
    traceExchange(ok);
    return ok;
}

void FrameLink::traceExchange(bool ok) {
    if (!trace_) return;
    const char* ch = channelName(currentChannel());
    std::uint8_t cmd = BufferTx[1];
    trace_->frame(ch, platform::FrameTrace::Direction::Tx,
                  std::span(BufferTx.data(), static_cast<std::size_t>(BufferTx[0]) + 1), cmd);
    if (ok) {
        // Rebuild the answer frame as it was on the wire: LEN, data, CHK.
        platform::Bytes answer;
        answer.push_back(static_cast<std::uint8_t>(BufferRx[0] + 1));
        answer.insert(answer.end(), BufferRx.begin() + 1, BufferRx.begin() + 1 + BufferRx[0]);
        answer.push_back(platform::frameChecksum(answer));
        trace_->frame(ch, platform::FrameTrace::Direction::Rx, answer, cmd);
    } else {
        trace_->note(ch, "exchange failed");
    }
}

bool FrameLink::ComandoSemplice(std::uint8_t codice, bool senzaRitentativi) {
    BufferTx[0] = 1;
    BufferTx[1] = codice;
    return EseguiTransazione(senzaRitentativi);
}

bool FrameLink::ComandoConConferma() {
    return EseguiTransazione(false) && BufferRx[0] == 1 && BufferRx[1] == 1;
}

// --- serial channel -------------------------------------------------------------------------

bool FrameLink::ensureSerialOpen() {
    if (!serial_) return false;
    if (serial_->isOpen()) return true;
    if (serialLocation_.empty()) return false;
    serial_->open(serialLocation_);
    return serial_->isOpen();
}

bool FrameLink::receiveAnswerBody(int len) {
    // LEN is in BufferRx[0]; LEN-1 data bytes and the CHK follow.
    for (int i = 1; i <= len; ++i) {
        auto b = RiceviByte();
        if (!b) return false;
        BufferRx[static_cast<std::size_t>(i)] = *b;
    }
    if (!checksumOk(len)) return false;
    BufferRx[0] = static_cast<std::uint8_t>(len - 1);
    return true;
}

bool FrameLink::exchangeSerial() {
    if (!ensureSerialOpen()) return false;
    const int requestBytes = BufferTx[0] + 1;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        bool sent = true;
        for (int i = 0; i < requestBytes && sent; ++i) sent = InviaByte(BufferTx[static_cast<std::size_t>(i)], true);
        if (sent) {
            auto len = RiceviByte();
            if (len && *len >= 1 && *len <= 50) {
                BufferRx[0] = *len;
                return receiveAnswerBody(*len);
            }
        }
        if (attempt == 2 || !Risincronizza()) return false;
    }
    return false;
}

bool FrameLink::Risincronizza() {
    if (currentChannel() == Channel::Ethernet) return resyncEthernet();
    if (usbHandle_ != 0) {
        const std::vector<std::uint8_t> zeros(256, 0);
        usbWriteAll(zeros.data(), 256);
        AttendiByte(256);
        return InviaByte(0, true);
    }
    if (!serial_) return false;
    InviaByte(0, false);
    serial_->close();
    serial_->open(serialLocation_);
    const platform::TimePoint reopened = clock_.now();
    for (int i = 0; i < 256 && clock_.now() - reopened < kResyncBurst; ++i) InviaByte(0, false);
    AttendiByte(256);
    return InviaByte(0, true);
}

// --- serial and USB byte operations ---------------------------------------------------------

int FrameLink::ByteInIngresso() {
    if (usbHandle_ != 0) {
        std::uint32_t n = 0;
        if (usb_->GetQueueStatus(usbHandle_, n) != platform::FtStatus::Ok) return 0;
        return static_cast<int>(n);
    }
    if (!serial_ || !serial_->isOpen()) return 0;
    return static_cast<int>(serial_->bytesAvailable());
}

bool FrameLink::AttendiByte(int n) {
    const platform::TimePoint start = clock_.now();
    ConteggioAttesa = 0;
    while (true) {
        ++ConteggioAttesa;
        if (ByteInIngresso() >= n) return true;
        platform::Duration left = kByteWait - (clock_.now() - start);
        if (left <= platform::Duration::zero()) return false;
        if (usbHandle_ != 0 || !serial_) {
            // The bridge has no blocking wait; poll at the chip's latency.
            clock_.sleepFor(std::min<platform::Duration>(left, std::chrono::milliseconds(1)));
        } else {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left);
            serial_->waitForReadyRead(std::max(ms, std::chrono::milliseconds(1)));
        }
    }
}

void FrameLink::discardInput() {
    if (usbHandle_ != 0) {
        int n = ByteInIngresso();
        for (int i = 0; i < n; ++i) {
            std::uint8_t b;
            std::uint32_t got = 0;
            usb_->Read(usbHandle_, &b, 1, got);
        }
        return;
    }
    if (serial_ && serial_->isOpen()) serial_->discardInput();
}

bool FrameLink::InviaByte(std::uint8_t b, bool conEco) {
    // An echo is only recognisable on a quiet line; bytes sent without echo check leave their
    // echoes waiting (the resynchronisation counts them).
    if (conEco) discardInput();
    if (usbHandle_ != 0) {
        if (!usbWriteAll(&b, 1)) return false;
    } else {
        if (!serial_ || !serial_->write(std::span(&b, 1))) return false;
    }
    if (!conEco) return true;
    auto echo = RiceviByte();
    return echo && *echo == b;
}

std::optional<std::uint8_t> FrameLink::RiceviByte() {
    if (!AttendiByte(1)) return std::nullopt;
    if (usbHandle_ != 0) {
        std::uint8_t b = 0;
        std::uint32_t got = 0;
        if (usb_->Read(usbHandle_, &b, 1, got) != platform::FtStatus::Ok || got != 1)
            return std::nullopt;
        return b;
    }
    platform::Bytes one = serial_->read(1);
    if (one.size() != 1) return std::nullopt;
    return one[0];
}

}  // namespace krnlink
