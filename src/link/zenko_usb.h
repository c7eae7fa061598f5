#pragma once
// Opening the instrument's FTDI bridge by its serial number, with the fixed set-up steps.
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/usb_bridge.h"

namespace krnlink {

// Opens the device and sets 8N1, no flow control, 4096-byte transfers, 1 ms latency, 100 ms
// read / 1000 ms write timeouts and the pipe retry count; 0 when any step fails (the device is
// closed again). The baud rate is set by the caller.
platform::FtHandle ApriUSBPerNumeroSerie(platform::UsbBridge& usb, const std::string& serial);

struct DispositivoUSB {
    std::string serialNumber;  // "Invalid handle" / "EEPROM Empty" when it could not be read
    std::string description;
};

// The FTDI devices present, their serial number and description read from the EEPROM, kept
// only when the serial number starts with `filter` (all with an empty filter), in bus order.
// Waits up to 1 s (500 tries) for a freshly plugged device to show its serial number, unless
// *cancel becomes true.
std::vector<DispositivoUSB> ElencaDispositiviUSB(platform::UsbBridge& usb, platform::Clock& clock,
                                                 const std::string& filter,
                                                 const bool* cancel = nullptr);

}  // namespace krnlink
