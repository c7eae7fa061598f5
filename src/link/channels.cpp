// Opening, checking and closing the three channels.
#include "link/frame_link.h"
#include "link/zenko_usb.h"
#include "platform/protocol.h"

namespace krnlink {

void FrameLink::HandlePorta(platform::SerialPort* port) {
    serial_ = port;
    usbHandle_ = 0;
    ethernetMode_ = false;
}

void FrameLink::HandlePortaUSB(platform::FtHandle h) {
    usbHandle_ = h;
    ethernetMode_ = false;
}

bool FrameLink::readConfiguration() {
    if (skipConfigurationRead) return true;
    if (configurationReader) return configurationReader();
    return ComandoSemplice(platform::cmd::Identify, false) && BufferRx[0] >= 2;
}

bool FrameLink::ApriComunicazione232(int portNumber) {
    std::string location;
    if (portNumber >= 1 && ports_) location = platform::serialLocationForNumber(*ports_, portNumber);
    return openSerialAndCheck(location);
}

bool FrameLink::ApriComunicazione232(const std::string& location) {
    return openSerialAndCheck(location);
}

bool FrameLink::openSerialAndCheck(const std::string& location) {
    name_.clear();
    if (ethernetMode_) {
        if (socket_) socket_->close();
        ethernetMode_ = false;
    }
    if (usbHandle_ != 0) {
        usb_->Close(usbHandle_);
        usbHandle_ = 0;
    }
    connected_ = false;
    // A port that does not exist (number below 1, or beyond the list) is never touched.
    if (!serial_ || location.empty()) return false;
    if (serial_->isOpen()) serial_->close();
    serialLocation_ = location;
    serial_->open(location);
    serial_->discardInput();
    connected_ = serial_->isOpen() && readConfiguration();
    if (!connected_ && serial_->isOpen()) serial_->close();
    return connected_;
}

bool FrameLink::ApriComunicazioneUSB(const std::string& serialNumber) {
    name_.clear();
    connected_ = false;
    if (usbHandle_ != 0) {
        usb_->Close(usbHandle_);
        usbHandle_ = 0;
    }
    if (!usb_) return false;
    platform::FtHandle h = ApriUSBPerNumeroSerie(*usb_, serialNumber);
    if (h == 0) return false;
    HandlePortaUSB(h);
    usbSerial_ = serialNumber;
    bool baudSet = usb_->SetBaudRate(h, 115200) == platform::FtStatus::Ok;
    InviaByte(0, true);
    if (baudSet) {
        int waiting = ByteInIngresso();
        for (int i = 0; i < waiting; ++i) {
            std::uint8_t b;
            std::uint32_t got = 0;
            usb_->Read(usbHandle_, &b, 1, got);
        }
        connected_ = readConfiguration();
    }
    if (!connected_) {
        usb_->Close(usbHandle_);
        usbHandle_ = 0;
    }
    return connected_;
}

void FrameLink::SetupPortaEth(platform::UdpSocket* socket) {
    usbHandle_ = 0;
    ethernetMode_ = true;
    socket_ = socket;
}

bool FrameLink::ApriComunicazioneETH(const std::string& host, std::int32_t port,
                                     const std::string& localAddress) {
    name_.clear();
    if (usbHandle_ != 0) {
        usb_->Close(usbHandle_);
        usbHandle_ = 0;
    }
    connected_ = false;
    if (!socket_ || port < 1 || port > 65535) return false;
    socket_->close();
    if (!localAddress.empty()) socket_->bind(localAddress, 0);
    remoteHost_ = host;
    remotePort_ = static_cast<std::uint16_t>(port);
    remoteAddress_ = socket_->resolve(host);
    if (remoteAddress_.empty()) return false;

    resyncEthernet();  // one zero byte, the instrument's idle filler; its echo is not needed

    connected_ = readConfiguration();
    if (!connected_ && ComandoUDP("ENCOMMPC")) connected_ = readConfiguration();
    return connected_;
}

void FrameLink::ChiudiPortaComunicazione() {
    if (onClose) onClose();
    flags.Estensioni = 0;
    if (usbHandle_ != 0) {
        usb_->Close(usbHandle_);
        usbHandle_ = 0;
    } else if (ethernetMode_) {
        if (socket_) socket_->close();
    } else if (serial_) {
        serial_->close();
    }
    connected_ = false;
}

}  // namespace krnlink
