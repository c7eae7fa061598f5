#pragma once
// The simulated instrument behind the SerialPort interface, in process, on the given clock.
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/sim_instrument.h"

namespace sim {

class SimSerialPort final : public platform::SerialPort {
public:
    SimSerialPort(SimInstrument& instrument, platform::Clock& clock, std::string location)
        : instrument_(instrument), clock_(clock), location_(std::move(location)) {}

    bool open(const std::string& location) override;
    bool isOpen() const override { return open_; }
    void close() override;
    std::size_t bytesAvailable() override;
    platform::Bytes read(std::size_t max) override;
    bool write(platform::ByteSpan bytes) override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    void discardInput() override;

    const std::string& location() const { return location_; }
    int opens() const { return opens_; }
    int closes() const { return closes_; }

private:
    SimInstrument& instrument_;
    platform::Clock& clock_;
    std::string location_;
    bool open_ = false;
    int opens_ = 0;
    int closes_ = 0;
};

// Lists the given locations as the system's serial ports.
class SimPortEnumerator final : public platform::SerialPortEnumerator {
public:
    explicit SimPortEnumerator(std::vector<std::string> locations)
        : locations_(std::move(locations)) {}
    std::vector<platform::SerialPortInfo> ports() override;

private:
    std::vector<std::string> locations_;
};

}  // namespace sim
