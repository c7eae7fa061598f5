#include "cli/context.h"

#include <cstdlib>
#include <iostream>

#include "link/instrument_description.h"
#include "platform/ftdi/ftdi_usb_bridge.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_udp_socket.h"
#include "sim/profiles.h"

namespace cli {

Context::Context(GlobalOptions options) : options_(std::move(options)) {}
Context::~Context() {
    if (instrument_ && instrument_->Collegato()) instrument_->ChiudiPortaComunicazione();
}

bool Context::init() {
    serial_ = std::make_unique<platform::qt::QtSerialPort>();
    ports_ = std::make_unique<platform::qt::QtSerialPortEnumerator>();
    socket_ = std::make_unique<platform::qt::QtUdpSocket>();
    if (!options_.simulate.empty()) {
        const sim::Profile* profile = sim::findProfile(options_.simulate);
        if (!profile) {
            message("krnctl: unknown simulator profile \"" + options_.simulate + "\"");
            return false;
        }
        simulated_ = std::make_unique<sim::SimInstrument>(*profile);
        auto bridge = std::make_unique<sim::SimUsbBridge>(clock_);
        sim::SimUsbDevice device;
        device.serialNumber = kSimulatedUsbSerial;
        device.description = "KRN Visual (simulated)";
        device.instrument = simulated_.get();
        bridge->addDevice(device);
        usb_ = std::move(bridge);
    } else {
        usb_ = std::make_unique<platform::ftdi::FtdiUsbBridge>();
    }
    instrument_ = std::make_unique<instrument::UCKRNVisual>(clock_, usb_.get(), ports_.get());
    if (!options_.trace.empty()) {
        trace_ = std::make_unique<platform::FrameTrace>(clock_, options_.trace);
        if (!trace_->ok()) {
            message("krnctl: cannot write the trace file " + options_.trace);
            return false;
        }
        instrument_->link().setTrace(trace_.get());
    }
    return true;
}

std::string Context::description() {
    if (!options_.instrument.empty()) return options_.instrument;
    if (const char* env = std::getenv("KRN_INSTRUMENT"); env && *env) return env;
    message("krnctl: no instrument given; use --instrument \"COM: n\", \"USB: serial\" or "
            "\"IP: host:port\", or set KRN_INSTRUMENT");
    return {};
}

bool Context::open(const std::string& text, bool identify) {
    auto& link = instrument_->link();
    link.skipConfigurationRead = !identify;
    const krnlink::InstrumentDescription d = krnlink::InstrumentDescription::parse(text);
    bool ok = false;
    switch (d.kind) {
        case krnlink::InstrumentDescription::Kind::Usb:
            ok = instrument_->ApriComunicazioneUSB(d.serialNumber);
            break;
        case krnlink::InstrumentDescription::Kind::SerialNumber:
            instrument_->HandlePorta(serial_.get());
            ok = instrument_->ApriComunicazione232(d.portNumber);
            break;
        case krnlink::InstrumentDescription::Kind::SerialPath:
            instrument_->HandlePorta(serial_.get());
            ok = instrument_->ApriComunicazione232(d.path);
            break;
        case krnlink::InstrumentDescription::Kind::Ethernet:
            instrument_->SetupPortaEth(socket_.get());
            ok = instrument_->ApriComunicazioneETH(d.host, d.port);
            break;
        case krnlink::InstrumentDescription::Kind::Invalid: break;
    }
    if (!ok) message("Communication error\n" + text);
    return ok;
}

void Context::message(const std::string& text) { std::cerr << text << std::endl; }

std::optional<std::uint8_t> parseByte(const std::string& text) {
    if (text.empty()) return std::nullopt;
    int base = 10;
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    char* end = nullptr;
    long v = std::strtol(digits.c_str(), &end, base);
    if (digits.empty() || *end != '\0' || digits[0] == '-' || digits[0] == '+' || v < 0 || v > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

}  // namespace cli
