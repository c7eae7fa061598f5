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
    const std::uint8_t first = link_.BufferRx[1];
    if (protocollo_ >= 41) {
        link_.flags.Estensioni = first;
    } else {
        link_.flags.UpdateMode = (first & 0x80) != 0;
        link_.flags.Estensioni = first & 0x7F;
    }
    if (protocollo_ >= 39) link_.flags.Estensioni = static_cast<std::int16_t>(link_.flags.Estensioni + 1000);
    return true;
}

}  // namespace instrument
