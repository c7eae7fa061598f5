#pragma once
// The instrument control on the simulated instrument with its serial conversation open, and the
// log of what the opening exchanged cleared.
#include <gtest/gtest.h>

#include "support/instrument_rig.h"

namespace testing_support {

struct OpenRig : InstrumentRig {
    explicit OpenRig(const std::string& profile = "p36e51") : OpenRig(*sim::findProfile(profile)) {}
    explicit OpenRig(const sim::Profile& profile) : InstrumentRig(profile) {
        EXPECT_TRUE(openSerial());
        instrument.clearLog();
    }
};

}  // namespace testing_support
