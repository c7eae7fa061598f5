#include "cli/context.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "instrument/connection.h"
#include "platform/console/console_dialogs.h"
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
    moduleSocket_ = std::make_unique<platform::qt::QtUdpSocket>();
    probeSocket_ = std::make_unique<platform::qt::QtUdpSocket>();
    dialogs_ = std::make_unique<platform::console::ConsoleDialogs>(
        std::cin, std::cerr, options_.yes, ::isatty(STDIN_FILENO) != 0);
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
    instrument_->link().skipConfigurationRead = !identify;
    const bool ok = instrument::ApriCollegamento(*instrument_, text, serial_.get(), socket_.get());
    if (!ok) message("Communication error\n" + text);
    return ok;
}

Session::~Session() {
    if (!open_) return;
    auto& control = ctx_.instrument();
    if (locked_)
        instrument::Disconnect(control);
    else
        control.ChiudiComunicazioni00(true);
}

int Session::open(bool lock) {
    const std::string description = ctx_.description();
    if (description.empty()) return kUsage;
    if (!ctx_.open(description, true)) return kInstrumentFailed;
    open_ = true;
    if (!lock) return kDone;
    switch (instrument::PreparaStrumento(ctx_.instrument())) {
        case instrument::errPR_OK:
            locked_ = true;
            return kDone;
        case instrument::errPR_InUse:
            ctx_.message("Error communication for blocking the instruments.");
            return kRefused;
        default:
            ctx_.message("Communication error\n" + description);
            return kInstrumentFailed;
    }
}

void Context::message(const std::string& text) { std::cerr << text << std::endl; }

std::optional<std::int64_t> parseNumber(const std::string& text, std::int64_t max) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    int base = 10;
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() > 12) return std::nullopt;
    char* end = nullptr;
    long long v = std::strtoll(digits.c_str(), &end, base);
    if (*end != '\0' || v < 0 || v > max) return std::nullopt;
    return v;
}

std::optional<std::uint8_t> parseByte(const std::string& text) {
    auto v = parseNumber(text, 255);
    if (!v) return std::nullopt;
    return static_cast<std::uint8_t>(*v);
}

}  // namespace cli
