#include "service/diagnostics/communication_check.h"

#include "instrument/connection.h"
#include "link/instrument_description.h"
#include "link/zenko_usb.h"
#include "service/core/conversation.h"

namespace service {

bool communicationAttempt(CommandHost& host, const std::string& description) {
    using Kind = krnlink::InstrumentDescription::Kind;
    const auto d = krnlink::InstrumentDescription::parse(description);
    instrument::UCKRNVisual& control = host.control();
    bool ok = false;
    if (d.kind == Kind::Usb) {
        platform::UsbBridge& usb = host.usb();
        const platform::FtHandle h = krnlink::ApriUSBPerNumeroSerie(usb, d.serialNumber);
        if (h != 0) {
            if (usb.SetBaudRate(h, 115200) == platform::FtStatus::Ok) {
                const std::uint8_t zero = 0;
                std::uint32_t written = 0;
                ok = usb.Write(h, &zero, 1, written) == platform::FtStatus::Ok && written == 1;
            }
            usb.Close(h);
        }
    } else if (d.kind != Kind::Invalid) {
        ok = instrument::ApriCollegamento(control, description, host.serialPort(), host.socket()) &&
             control.Collegato();
    }
    control.ChiudiComunicazioni00(true);
    return ok;
}

Outcome CommunicationTest(CommandHost& host) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    host.showCommunicationTest(*description);
    return Outcome::Done;
}

}  // namespace service
