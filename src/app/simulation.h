#pragma once
// The simulated instruments of `krnsetup --simulate`: one on a pseudo-terminal (serial), one on
// the in-process USB bridge, one behind an Ethernet module on loopback. Their NVRAM is kept in
// the program folder between runs.
#include <memory>
#include <string>
#include <vector>

#include "platform/serial_port.h"
#include "sim/sim_instrument.h"
#include "sim/sim_server.h"
#include "sim/sim_usb_bridge.h"

namespace app {

// Lists the real ports, then the simulated one.
class PortsWithSimulated final : public platform::SerialPortEnumerator {
public:
    PortsWithSimulated(platform::SerialPortEnumerator& real, std::string simulated)
        : real_(real), simulated_(std::move(simulated)) {}
    std::vector<platform::SerialPortInfo> ports() override;

private:
    platform::SerialPortEnumerator& real_;
    std::string simulated_;
};

class Simulation {
public:
    static constexpr const char* kUsbSerial = "QX3SIM0001";

    // clock: the real-time clock the servers run on.
    Simulation(platform::Clock& clock, std::string folder);
    ~Simulation();
    bool start();  // false when a pseudo-terminal or loopback ports cannot be had
    // Why start() failed: "no pseudo-terminal could be opened", ...
    const std::string& error() const { return error_; }

    platform::UsbBridge& usb() { return *usb_; }
    const std::string& ptyPath() const { return ptyPath_; }
    std::uint16_t modulePort() const;
    std::uint16_t dataPort() const;

private:
    std::string nvramPath(const char* name) const;
    platform::Clock& clock_;
    std::string folder_;
    std::unique_ptr<sim::SimInstrument> serialInstrument_, usbInstrument_, ethInstrument_;
    std::unique_ptr<sim::SimServer> serialServer_, ethServer_;
    std::unique_ptr<sim::SimUsbBridge> usb_;
    std::string ptyPath_;
    std::string error_;
};

}  // namespace app
