#include "app/simulation.h"

#include <filesystem>

#include "sim/nvram_file.h"

namespace app {

std::vector<platform::SerialPortInfo> PortsWithSimulated::ports() {
    auto list = real_.ports();
    if (!simulated_.empty())
        list.push_back({simulated_, simulated_, "Simulated instrument", "krnsim", ""});
    return list;
}

Simulation::Simulation(platform::Clock& clock, std::string folder)
    : clock_(clock), folder_(std::move(folder)) {}

Simulation::~Simulation() {
    if (serialServer_) serialServer_->stop();
    if (ethServer_) ethServer_->stop();
    const std::pair<sim::SimInstrument*, const char*> keep[] = {{serialInstrument_.get(), "serial"},
                                                                {usbInstrument_.get(), "usb"},
                                                                {ethInstrument_.get(), "ethernet"}};
    for (const auto& [in, name] : keep)
        if (in) sim::saveNvram(nvramPath(name), in->nvram());
}

std::string Simulation::nvramPath(const char* name) const {
    return (std::filesystem::path(folder_) / (std::string("simulated-") + name + ".nvram"))
        .string();
}

bool Simulation::start() {
    auto make = [&](const char* profile, const char* name) {
        auto in = std::make_unique<sim::SimInstrument>(*sim::findProfile(profile));
        sim::loadNvram(nvramPath(name), in->nvram());
        in->setClock(clock_.localNow(), clock_.now());
        return in;
    };
    serialInstrument_ = make("p36e51", "serial");
    usbInstrument_ = make("p41e1072", "usb");
    ethInstrument_ = make("p39e1060", "ethernet");

    serialServer_ = std::make_unique<sim::SimServer>(*serialInstrument_, clock_);
    ptyPath_ = serialServer_->openPty();
    if (ptyPath_.empty()) {
        error_ = "no pseudo-terminal could be opened for the serial instrument";
        return false;
    }
    ethServer_ = std::make_unique<sim::SimServer>(*ethInstrument_, clock_);
    if (!ethServer_->openUdp("127.0.0.1", 0, 0)) {
        error_ = "no UDP port on 127.0.0.1 could be bound for the Ethernet instrument";
        return false;
    }
    serialServer_->start();
    ethServer_->start();

    usb_ = std::make_unique<sim::SimUsbBridge>(clock_);
    sim::SimUsbDevice device;
    device.serialNumber = kUsbSerial;
    device.description = "KRN Visual (simulated)";
    device.instrument = usbInstrument_.get();
    usb_->addDevice(device);
    return true;
}

std::uint16_t Simulation::modulePort() const {
    return ethServer_ ? ethServer_->commandPort() : 0;
}
std::uint16_t Simulation::dataPort() const {
    return ethServer_ ? ethServer_->dataPort() : 0;
}

}  // namespace app
