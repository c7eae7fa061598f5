#include "instrument/uckrnvisual.h"

namespace instrument {

UCKRNVisual::UCKRNVisual(platform::Clock& clock, platform::UsbBridge* usb,
                         platform::SerialPortEnumerator* ports)
    : link_(clock, usb, ports) {
    link_.configurationReader = [this] { return LeggiConfigurazione(); };
    link_.onClose = [this] {
        protocollo_ = 0;
        link_.flags = {};
    };
}

bool UCKRNVisual::LeggiConfigurazione() {
    link_.flags.PressaBloccata = false;
    if (!link_.ComandoSemplice(1, false) || link_.BufferRx[0] < 2) return false;
    protocollo_ = link_.BufferRx[2];
    return true;
}

}  // namespace instrument
