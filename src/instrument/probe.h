#pragma once
// Probing instruments for the selection list, with an instrument control of its own.
#include "instrument/uckrnvisual.h"
#include "link/selection.h"

namespace instrument {

class InstrumentProbe final : public krnlink::InstrumentProber {
public:
    // socket: the one the probe's own Ethernet link uses (not the module command socket).
    InstrumentProbe(platform::Clock& clock, platform::UsbBridge* usb, platform::UdpSocket* socket)
        : control_(clock, usb, nullptr), socket_(socket) {}

    krnlink::ProbeResult probeUsb(const std::string& serialNumber) override;
    krnlink::ProbeResult probeEthernet(const std::string& host, std::int32_t port) override;
    UCKRNVisual& control() { return control_; }

private:
    krnlink::ProbeResult finish(bool connected);
    UCKRNVisual control_;
    platform::UdpSocket* socket_;
};

}  // namespace instrument
