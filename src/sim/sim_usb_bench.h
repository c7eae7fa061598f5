#pragma once
// A production bench: simulated instruments of one profile, each behind a blank bridge chip,
// plugged into the simulated USB bridge one at a time as an operator plugs them. A chip keeps
// what was programmed into it while it is unplugged.
#include <memory>
#include <string>
#include <vector>

#include "sim/profiles.h"
#include "sim/sim_instrument.h"
#include "sim/sim_usb_bridge.h"

namespace sim {

class SimUsbBench {
public:
    // Removes what the bridge held and keeps `count` blank instruments ready; none plugged yet.
    SimUsbBench(SimUsbBridge& bridge, const Profile& profile, int count);

    // Plugs instrument i (after unplugging the one plugged); false when there is no such one.
    bool plug(int i);
    // The instrument after the last one plugged; false when every one was plugged.
    bool plugNext() { return plug(last_ + 1); }
    void unplug();

    // Restart and memory-test times of every instrument (a demonstration bench runs them short).
    void setTimes(platform::Duration restart, platform::Duration memoryTestCycle);

    // A bench kept in a folder between runs: instrument N (1 the first) as N.eeprom and N.nvram,
    // the files of one simulated instrument. keptIn counts the instruments a folder holds; load
    // gives the instruments what their files hold (an error text, or "" when every file that is
    // there was read); save writes them all, the folder made when missing.
    static int keptIn(const std::string& folder);
    std::string load(const std::string& folder);
    bool save(const std::string& folder);

    int count() const { return static_cast<int>(instruments_.size()); }
    int plugged() const { return plugged_; }
    SimInstrument& instrument(int i) { return *instruments_.at(static_cast<std::size_t>(i)); }
    // The chip as it was when unplugged last (the bridge's device while plugged).
    const SimUsbDevice& chip(int i);

private:
    SimUsbBridge& bridge_;
    std::vector<std::unique_ptr<SimInstrument>> instruments_;
    std::vector<SimUsbDevice> chips_;
    int plugged_ = -1;
    int last_ = -1;
};

}  // namespace sim
