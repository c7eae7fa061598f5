#pragma once
// The instrument control on the simulated instrument. The simulated port is "COM: 1".
#include <string>

#include "instrument/uckrnvisual.h"
#include "support/sim_bench.h"

namespace testing_support {

struct InstrumentRig : SimBench {
    explicit InstrumentRig(const std::string& profile = "p36e51")
        : InstrumentRig(*sim::findProfile(profile)) {}
    explicit InstrumentRig(const sim::Profile& profile)
        : SimBench(profile, {kPortPath}), control(clock, &usb, &ports) {
        control.HandlePorta(&serial);
    }

    bool open(krnlink::Channel c) { return openOn(control, c, 1); }
    bool openSerial() { return open(krnlink::Channel::Serial); }

    // Command codes of the requests the instrument received since the log was cleared.
    std::vector<int> commands() const {
        std::vector<int> c;
        for (const auto& r : instrument.requests()) c.push_back(r.size() > 1 ? r[1] : -1);
        return c;
    }

    instrument::UCKRNVisual control;
};

}  // namespace testing_support
