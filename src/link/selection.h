#pragma once
// The list behind the instrument selection: USB devices (probed), serial ports, and Ethernet
// modules found by discovery; and what choosing a row returns.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/usb_bridge.h"

namespace krnlink {

struct SelectionRow {
    std::string name;         // "NAME": "Name"
    std::string sn;           // "SN": "Port/SN"
    std::string info;         // "INFO": "Info"
    std::string description;  // device description (USB) or module name (Ethernet)
};

struct SelectionOptions {
    bool SoloEthernet = false;
    bool SoloUSB = false;
    bool SoloSeriali = false;
    bool TuttiUSB = false;
};

// What probing an instrument found.
struct ProbeResult {
    bool connected = false;
    bool updateMode = false;
    std::string name;
    int protocollo = 0;
    int estensioni = 0;
};

// Opens an instrument briefly with an instrument control of its own, identifies it and closes
// the link again. Implemented by the instrument layer.
class InstrumentProber {
public:
    virtual ~InstrumentProber() = default;
    virtual ProbeResult probeUsb(const std::string& serialNumber) = 0;
    virtual ProbeResult probeEthernet(const std::string& host, std::int32_t port) = 0;
};

// Name and Info of a probed row.
void describeRow(SelectionRow& row, const ProbeResult& probe);

struct PortaSeriale;
// The row of a serial port. A port known by its device path ("/dev/ttyUSB0") is listed by that
// path, "COM: /dev/ttyUSB0", which opens the same device whatever the order of the list, and
// named after the device; a port known by its number keeps "COM: n".
SelectionRow serialRow(const PortaSeriale& port);
// Whether choosing the row needs no Ethernet discovery: a USB device or a serial port.
bool localRow(const SelectionRow& row);

struct SelectionResult {
    std::string description;  // the row's "Port/SN"
    std::string second;       // "1000000", or the row's Name for a USB device
    bool ok = false;
};

class SelectionList {
public:
    SelectionList(platform::UsbBridge* usb, platform::SerialPortEnumerator* ports,
                  InstrumentProber& prober, platform::Clock& clock, SelectionOptions options)
        : usb_(usb), ports_(ports), prober_(prober), clock_(clock), options_(options) {}

    // USB devices (probed) and serial ports, in that order. Ethernet rows are added by the
    // discovery, which the caller starts when wantsEthernet(). rowAdded is called after each
    // row, so that a window can show the rows as they are found.
    void fill(const bool* cancel = nullptr, const std::function<void()>& rowAdded = {});
    bool wantsEthernet() const { return !options_.SoloUSB && !options_.SoloSeriali; }

    std::vector<SelectionRow>& rows() { return rows_; }
    const SelectionOptions& options() const { return options_; }
    // Choosing row i (0-based); not ok for a row that does not exist.
    SelectionResult choose(int row) const;

private:
    platform::UsbBridge* usb_;
    platform::SerialPortEnumerator* ports_;
    InstrumentProber& prober_;
    platform::Clock& clock_;
    SelectionOptions options_;
    std::vector<SelectionRow> rows_;
};

}  // namespace krnlink
