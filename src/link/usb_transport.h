#pragma once
// The USB channel: the instrument's FTDI bridge, opened by its serial number.
#include <string>

#include "link/transport.h"
#include "platform/usb_bridge.h"

namespace krnlink {

class UsbTransport final : public Transport {
public:
    UsbTransport(platform::Clock& clock, platform::UsbBridge& usb, std::string serialNumber)
        : Transport(clock), usb_(usb), serialNumber_(std::move(serialNumber)) {}
    ~UsbTransport() override { close(); }

    Channel channel() const override { return Channel::Usb; }
    platform::Duration waitLimit() const override;
    platform::Duration quietWindow() const override;
    platform::FtHandle handle() const { return handle_; }

    // Opens the device with its set-up steps and 115200 baud, and sends one zero byte with echo
    // check (its result does not count). False when the device cannot be had or the baud rate
    // cannot be set.
    bool open() override;
    void close() override;
    bool ready() override { return handle_ != 0; }
    bool send(platform::ByteSpan bytes) override;
    // The timed read: one read of the count (the device returns after its 100 ms read timeout
    // at the latest), then further reads of the rest until the limit has passed since the first.
    bool read(std::uint8_t* out, std::size_t n, platform::Duration limit) override;
    std::size_t waiting() override;
    void discard() override;
    bool resynchronise() override;
    // Resets the device, or closes and reopens it when the reset fails; then a zero byte and a
    // resynchronisation, both done once more when the first resynchronisation fails. False
    // only when the device could not be reopened.
    bool recover() override;

private:
    bool waitForInput(platform::Duration left) override;
    bool reopen();

    platform::UsbBridge& usb_;
    std::string serialNumber_;
    platform::FtHandle handle_ = 0;
};

}  // namespace krnlink
