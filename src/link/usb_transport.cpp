#include "link/usb_transport.h"

#include <algorithm>
#include <array>

#include "link/zenko_usb.h"

namespace krnlink {

namespace {
constexpr platform::Duration kByteWait = std::chrono::milliseconds(700);
constexpr platform::Duration kPollInterval = std::chrono::milliseconds(1);
constexpr std::uint32_t kBaudRate = 115200;
constexpr std::size_t kBurstBytes = 256;
// Quiet: a few byte times plus the chip's 1 ms latency timer and the 1 ms polls.
constexpr platform::Duration kQuietWindow = std::chrono::milliseconds(5);
}  // namespace

platform::Duration UsbTransport::quietWindow() const {
    return kQuietWindow;
}
platform::Duration UsbTransport::waitLimit() const {
    return kByteWait;
}

bool UsbTransport::open() {
    close();
    handle_ = ApriUSBPerNumeroSerie(usb_, serialNumber_);
    if (handle_ == 0) {
        traceNote("cannot open device " + serialNumber_);
        return false;
    }
    const bool baudSet = usb_.SetBaudRate(handle_, kBaudRate) == platform::FtStatus::Ok;
    traceNote("opened device " + serialNumber_ + (baudSet ? "" : ", baud rate refused"));
    std::int32_t polls = 0;
    sendByte(0, true, polls);
    if (baudSet) discard();
    return baudSet;
}

void UsbTransport::close() {
    if (handle_ == 0) return;
    usb_.Close(handle_);
    handle_ = 0;
    traceNote("closed device " + serialNumber_);
}

bool UsbTransport::send(platform::ByteSpan bytes) {
    std::uint32_t written = 0;
    const auto count = static_cast<std::uint32_t>(bytes.size());
    const bool sent = handle_ != 0 &&
                      usb_.Write(handle_, bytes.data(), count, written) == platform::FtStatus::Ok &&
                      written == count;
    traceBytes(platform::FrameTrace::Direction::Tx, bytes.first(sent ? bytes.size() : written));
    return sent;
}

bool UsbTransport::read(std::uint8_t* out, std::size_t n, platform::Duration limit) {
    const auto count = static_cast<std::uint32_t>(n);
    std::uint32_t got = 0;
    if (usb_.Read(handle_, out, count, got) != platform::FtStatus::Ok) return false;
    traceBytes(platform::FrameTrace::Direction::Rx, std::span(out, got));
    received_ += got;
    const platform::TimePoint firstRead = clock_.now();
    while (got < count) {
        if (clock_.now() - firstRead > limit) {
            traceNote("only " + std::to_string(got) + " of " + std::to_string(count) +
                      " bytes came");
            return false;
        }
        std::uint32_t more = 0;
        if (usb_.Read(handle_, out + got, count - got, more) != platform::FtStatus::Ok)
            return false;
        traceBytes(platform::FrameTrace::Direction::Rx, std::span(out + got, more));
        received_ += more;
        got += more;
    }
    return true;
}

std::size_t UsbTransport::waiting() {
    std::uint32_t n = 0;
    if (handle_ == 0 || usb_.GetQueueStatus(handle_, n) != platform::FtStatus::Ok) return 0;
    return n;
}

bool UsbTransport::waitForInput(platform::Duration left) {
    if (handle_ == 0) return false;
    // The bridge has no blocking wait; it is polled at the chip's latency.
    clock_.sleepFor(std::min(left, kPollInterval));
    return true;
}

void UsbTransport::discard() {
    // The queue is emptied byte by byte, as many as it reports.
    const std::size_t n = waiting();
    platform::Bytes dropped;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t b = 0;
        std::uint32_t got = 0;
        usb_.Read(handle_, &b, 1, got);
        if (got == 1) dropped.push_back(b);
    }
    received_ += dropped.size();
    if (!dropped.empty()) traceNote("dropped " + platform::FrameTrace::hex(dropped));
}

bool UsbTransport::resynchronise() {
    traceNote("resynchronisation: zero burst");
    const std::array<std::uint8_t, kBurstBytes> zeros{};
    send(zeros);
    return settleAfterBurst(kBurstBytes);
}

bool UsbTransport::reopen() {
    if (usb_.ResetDevice(handle_) == platform::FtStatus::Ok) {
        traceNote("device reset");
        return true;
    }
    traceNote("device reset failed; reopening " + serialNumber_);
    usb_.Close(handle_);
    handle_ = ApriUSBPerNumeroSerie(usb_, serialNumber_);
    if (handle_ == 0) {
        traceNote("cannot reopen device " + serialNumber_);
        return false;
    }
    return usb_.SetBaudRate(handle_, kBaudRate) == platform::FtStatus::Ok;
}

bool UsbTransport::recover() {
    if (!reopen() && handle_ == 0) return false;
    std::int32_t polls = 0;
    sendByte(0, false, polls);
    if (resynchronise()) return true;
    if (!reopen() && handle_ == 0) return false;
    resynchronise();
    return true;
}

}  // namespace krnlink
