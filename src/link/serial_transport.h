#pragma once
// The RS-232 channel: a serial port at 115200 baud 8N1, opened by its location.
#include <string>

#include "link/transport.h"
#include "platform/serial_port.h"

namespace krnlink {

class SerialTransport final : public Transport {
public:
    SerialTransport(platform::Clock& clock, platform::SerialPort& port, std::string location)
        : Transport(clock), port_(port), location_(std::move(location)) {}

    Channel channel() const override { return Channel::Serial; }
    platform::Duration waitLimit() const override;
    platform::Duration quietWindow() const override;
    platform::SerialPort& port() const { return port_; }
    const std::string& location() const { return location_; }

    // Opens the port at the location and drops whatever input it holds.
    bool open() override;
    void close() override;
    // A port closed under the link is opened again at the same location.
    bool ready() override;
    bool send(platform::ByteSpan bytes) override;
    bool read(std::uint8_t* out, std::size_t n, platform::Duration limit) override;
    std::size_t waiting() override;
    void discard() override;
    bool resynchronise() override;
    bool recover() override { return resynchronise(); }

private:
    bool waitForInput(platform::Duration left) override;
    platform::SerialPort& port_;
    std::string location_;
};

}  // namespace krnlink
