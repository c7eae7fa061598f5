#include "instrument/connection.h"

#include "link/instrument_description.h"

namespace instrument {

bool ApriCollegamento(UCKRNVisual& control, const std::string& description,
                      platform::SerialPort* serial, platform::UdpSocket* socket) {
    using Kind = krnlink::InstrumentDescription::Kind;
    const auto d = krnlink::InstrumentDescription::parse(description);
    switch (d.kind) {
        case Kind::Usb:
            return control.ApriComunicazioneUSB(d.serialNumber);
        case Kind::SerialNumber:
            control.HandlePorta(serial);
            return control.ApriComunicazione232(d.portNumber);
        case Kind::SerialPath:
            control.HandlePorta(serial);
            return control.ApriComunicazione232(d.path);
        case Kind::Ethernet:
            control.SetupPortaEth(socket);
            return control.ApriComunicazioneETH(d.host, d.port);
        case Kind::Invalid:
            break;
    }
    return false;
}

ErrPR PreparaStrumento(UCKRNVisual& control) {
    if (control.UpdateMode()) return errPR_OK;
    const PressLock lock = control.BloccaPressa();
    if (!lock.ok) return errPR_Comm;
    if (!lock.locked) return errPR_InUse;
    return control.BloccaTastiera() ? errPR_OK : errPR_Comm;
}

void Disconnect(UCKRNVisual& control) {
    // On a line that has proved dead each step would only wait out its attempts: the steps
    // stop there and the channel is closed.
    const auto alive = [&] { return !control.link().lineDead(); };
    if (alive()) control.SbloccaTastiera(true);
    if (alive()) control.SbloccaPressa(true);
    if (alive())
        control.ChiudiComunicazioni00(true);
    else
        control.ChiudiPortaComunicazione();
}

}  // namespace instrument
