#pragma once
// What the desktop program runs on: the clock, the settings store, the USB bridge, the serial
// port list, where discovery sends its module commands, and the program folder.
#include <string>

#include "link/ethernet_discovery.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/usb_bridge.h"

namespace app {

struct Environment {
    platform::Clock& clock;
    platform::SettingsStore& settings;
    platform::UsbBridge& usb;
    platform::SerialPortEnumerator& ports;
    krnlink::DiscoverySettings discovery;
    std::string folder;       // the program folder
    std::string commandLine;  // the switches, as one text: "/FUL /CFG"
    std::string application = "krnsetup";
};

}  // namespace app
