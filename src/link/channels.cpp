// Opening, checking and closing the three channels.
#include "link/eth_transport.h"
#include "link/frame_link.h"
#include "link/serial_transport.h"
#include "link/usb_transport.h"
#include "link/zenko_usb.h"
#include "platform/protocol.h"

namespace krnlink {

Channel FrameLink::currentChannel() const {
    return transport_ ? transport_->channel() : selected_;
}

platform::FtHandle FrameLink::HandlePortaUSB() const {
    const auto* usb = dynamic_cast<const UsbTransport*>(transport_.get());
    return usb ? usb->handle() : 0;
}

void FrameLink::HandlePorta(platform::SerialPort* port) {
    selected_ = Channel::Serial;
    if (port == serial_) return;
    serial_ = port;
    if (!transport_) return;
    const auto* current = dynamic_cast<const SerialTransport*>(transport_.get());
    if (!current || !port) {
        ChiudiPortaComunicazione();
        return;
    }
    // The serial conversation goes on through the new port, at the same location.
    const std::string location = current->location();
    transport_->close();
    transport_ = std::make_unique<SerialTransport>(clock_, *port, location);
    transport_->setTrace(trace_);
}

void FrameLink::SetupPortaEth(platform::UdpSocket* socket) {
    selected_ = Channel::Ethernet;
    if (transport_ && (transport_->channel() != Channel::Ethernet || socket != socket_))
        ChiudiPortaComunicazione();
    socket_ = socket;
}

void FrameLink::dropTransport() {
    if (transport_) transport_->close();
    transport_.reset();
    connected_ = false;
}

bool FrameLink::startConversation(std::unique_ptr<Transport> transport) {
    // A new conversation: its instrument is the one this open reaches.
    guard_.reset();
    changed_.reset();
    transport_ = std::move(transport);
    transport_->setTrace(trace_);
    if (transport_->open()) return true;
    dropTransport();
    return false;
}

bool FrameLink::finishOpen() {
    if (abandoned_) connected_ = false;
    if (!connected_) dropTransport();
    opening_ = false;
    abandoned_ = false;
    return connected_;
}

bool FrameLink::readConfiguration() {
    if (skipConfigurationRead) return true;
    opening_ = true;
    if (configurationReader) return configurationReader();
    return ComandoSemplice(platform::cmd::Identify, false) && BufferRx[0] >= 2;
}

bool FrameLink::ApriComunicazione232(int portNumber) {
    std::string location;
    if (portNumber >= 1 && ports_)
        location = platform::serialLocationForNumber(*ports_, portNumber);
    return ApriComunicazione232(location);
}

bool FrameLink::ApriComunicazione232(const std::string& location) {
    name_.clear();
    dropTransport();
    selected_ = Channel::Serial;
    // A port that does not exist (number below 1, or beyond the list) is never touched.
    if (!serial_ || location.empty()) return false;
    if (!startConversation(std::make_unique<SerialTransport>(clock_, *serial_, location)))
        return false;
    connected_ = readConfiguration();
    return finishOpen();
}

bool FrameLink::ApriComunicazioneUSB(const std::string& serialNumber) {
    name_.clear();
    dropTransport();
    selected_ = Channel::Serial;
    if (!usb_) return false;
    if (!startConversation(std::make_unique<UsbTransport>(clock_, *usb_, serialNumber)))
        return false;
    connected_ = readConfiguration();
    return finishOpen();
}

bool FrameLink::ApriComunicazioneETH(const std::string& host, std::int32_t port,
                                     const std::string& localAddress) {
    name_.clear();
    dropTransport();
    if (!socket_ || port < 1 || port > 65535) return false;
    if (!startConversation(std::make_unique<EthernetTransport>(
            clock_, *socket_, host, static_cast<std::uint16_t>(port), localAddress)))
        return false;
    connected_ = readConfiguration();
    // The module may have its link to the PC switched off; the command switches it on.
    if (!connected_ && !abandoned_ && ComandoUDP("ENCOMMPC")) connected_ = readConfiguration();
    return finishOpen();
}

std::optional<std::string> FrameLink::ComandoUDP(const std::string& command) {
    auto* eth = dynamic_cast<EthernetTransport*>(transport_.get());
    if (!eth) return std::nullopt;
    return eth->command(command);
}

void FrameLink::ChiudiPortaComunicazione() {
    if (onClose) onClose();
    dropTransport();
}

}  // namespace krnlink
