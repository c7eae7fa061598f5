#include "instrument/probe.h"

namespace instrument {

krnlink::ProbeResult InstrumentProbe::finish(bool connected) {
    krnlink::ProbeResult r;
    r.connected = connected;
    r.updateMode = control_.UpdateMode();
    r.name = control_.Nome();
    r.protocollo = control_.Protocollo();
    r.estensioni = control_.Estensioni();
    if (connected) control_.ChiudiComunicazioni00(true);
    return r;
}

krnlink::ProbeResult InstrumentProbe::probeUsb(const std::string& serialNumber) {
    control_.ChiudiPortaComunicazione();  // forget the previous instrument
    return finish(control_.ApriComunicazioneUSB(serialNumber));
}

krnlink::ProbeResult InstrumentProbe::probeEthernet(const std::string& host, std::int32_t port) {
    control_.ChiudiPortaComunicazione();
    if (!socket_) return {};
    control_.SetupPortaEth(socket_);
    const bool connected = control_.ApriComunicazioneETH(host, port);
    krnlink::ProbeResult r = finish(connected);
    if (!connected) control_.ChiudiPortaComunicazione();
    return r;
}

}  // namespace instrument
