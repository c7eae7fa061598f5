#include "sim/sim_usb_bench.h"

#include <filesystem>

#include "platform/files.h"
#include "sim/nvram_file.h"

namespace sim {

SimUsbBench::SimUsbBench(SimUsbBridge& bridge, const Profile& profile, int count)
    : bridge_(bridge) {
    bridge_.devices().clear();
    for (int i = 0; i < count; ++i) {
        instruments_.push_back(std::make_unique<SimInstrument>(profile));
        SimUsbDevice chip;
        chip.description.clear();
        chip.eepromEmpty = true;
        chip.instrument = instruments_.back().get();
        chips_.push_back(chip);
    }
}

void SimUsbBench::setTimes(platform::Duration restart, platform::Duration memoryTestCycle) {
    for (auto& i : instruments_) {
        i->setRestartSilence(restart);
        i->setMemoryTestCycle(memoryTestCycle);
    }
}

bool SimUsbBench::plug(int i) {
    if (i < 0 || i >= count()) return false;
    unplug();
    bridge_.addDevice(chips_[static_cast<std::size_t>(i)]);
    plugged_ = last_ = i;
    return true;
}

const SimUsbDevice& SimUsbBench::chip(int i) {
    if (i == plugged_)
        for (const SimUsbDevice& d : bridge_.devices())
            if (d.instrument == instruments_.at(static_cast<std::size_t>(i)).get()) return d;
    return chips_.at(static_cast<std::size_t>(i));
}

void SimUsbBench::unplug() {
    if (plugged_ < 0) return;
    auto& devices = bridge_.devices();
    for (auto d = devices.begin(); d != devices.end(); ++d) {
        if (d->instrument != instruments_[static_cast<std::size_t>(plugged_)].get()) continue;
        chips_[static_cast<std::size_t>(plugged_)] = *d;  // what was programmed stays
        devices.erase(d);
        break;
    }
    plugged_ = -1;
}

namespace {

std::string keptFile(const std::string& folder, int i, const char* extension) {
    return (std::filesystem::path(folder) / (std::to_string(i + 1) + extension)).string();
}

}  // namespace

int SimUsbBench::keptIn(const std::string& folder) {
    int n = 0;
    while (platform::pathKind(keptFile(folder, n, ".eeprom")) == platform::PathKind::Regular) ++n;
    return n;
}

std::string SimUsbBench::load(const std::string& folder) {
    for (int i = 0; i < count(); ++i) {
        SimUsbDevice& chip = chips_[static_cast<std::size_t>(i)];
        std::string problem = loadChipIdentity(keptFile(folder, i, ".eeprom"), chip);
        if (problem.empty())
            problem = loadNvramOrSayWhy(keptFile(folder, i, ".nvram"), instrument(i).nvram());
        if (!problem.empty()) return problem;
    }
    return {};
}

bool SimUsbBench::save(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    bool saved = true;
    for (int i = 0; i < count(); ++i)
        saved = saveChipIdentity(keptFile(folder, i, ".eeprom"), chip(i)) &&
                saveNvram(keptFile(folder, i, ".nvram"), instrument(i).nvram()) && saved;
    return saved;
}

}  // namespace sim
