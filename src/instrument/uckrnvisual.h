#pragma once
// The instrument control: the one object through which the tool talks to an instrument. It is
// a facade; the link and, later, each memory concern live in their own classes.
#include <cstdint>
#include <optional>
#include <string>

#include "link/frame_link.h"

namespace instrument {

class UCKRNVisual {
public:
    UCKRNVisual(platform::Clock& clock, platform::UsbBridge* usb,
                platform::SerialPortEnumerator* ports);

    krnlink::FrameLink& link() { return link_; }

    // --- link primitives ---
    krnlink::FrameBuffer& BufferTx() { return link_.BufferTx; }
    krnlink::FrameBuffer& BufferRx() { return link_.BufferRx; }
    bool EseguiTransazione(bool senzaRitentativi) { return link_.EseguiTransazione(senzaRitentativi); }
    bool ComandoSemplice(std::uint8_t codice, bool senzaRitentativi) {
        return link_.ComandoSemplice(codice, senzaRitentativi);
    }
    bool ComandoConConferma() { return link_.ComandoConConferma(); }
    bool Risincronizza() { return link_.Risincronizza(); }
    static constexpr std::int16_t DimMaxBuffer() { return krnlink::FrameLink::DimMaxBuffer(); }

    // --- channels ---
    bool ApriComunicazione232(int portNumber) { return link_.ApriComunicazione232(portNumber); }
    bool ApriComunicazione232(const std::string& location) {
        return link_.ApriComunicazione232(location);
    }
    bool ApriComunicazioneUSB(const std::string& serial) { return link_.ApriComunicazioneUSB(serial); }
    void SetupPortaEth(platform::UdpSocket* socket) { link_.SetupPortaEth(socket); }
    bool ApriComunicazioneETH(const std::string& host, std::int32_t port,
                              const std::string& localAddress = {}) {
        return link_.ApriComunicazioneETH(host, port, localAddress);
    }
    std::optional<std::string> ComandoUDP(const std::string& command) {
        return link_.ComandoUDP(command);
    }
    void ChiudiPortaComunicazione() { link_.ChiudiPortaComunicazione(); }
    bool Collegato() const { return link_.Collegato(); }
    const std::string& Nome() const { return link_.Nome(); }
    void HandlePorta(platform::SerialPort* port) { link_.HandlePorta(port); }
    platform::FtHandle HandlePortaUSB() const { return link_.HandlePortaUSB(); }

    // Ends every channel open: identifies the instrument (command 1, at least two bytes).
    bool LeggiConfigurazione();

    std::int16_t Protocollo() const { return protocollo_; }
    std::int16_t Estensioni() const { return link_.flags.Estensioni; }
    bool UpdateMode() const { return link_.flags.UpdateMode; }

private:
    krnlink::FrameLink link_;
    std::int16_t protocollo_ = 0;
};

}  // namespace instrument
