#pragma once
// Opening the instrument's FTDI bridge by its serial number, with the fixed set-up steps.
#include <string>

#include "platform/usb_bridge.h"

namespace krnlink {

// Opens the device and sets 8N1, no flow control, 4096-byte transfers, 1 ms latency, 100 ms
// read / 1000 ms write timeouts and the pipe retry count; 0 when any step fails (the device is
// closed again). The baud rate is set by the caller.
platform::FtHandle ApriUSBPerNumeroSerie(platform::UsbBridge& usb, const std::string& serial);

}  // namespace krnlink
