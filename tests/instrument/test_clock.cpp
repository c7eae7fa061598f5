// The instrument's clock: packed BCD with field masks, Sunday as 1.
#include <gtest/gtest.h>

#include "instrument/open_rig.h"
#include "platform/protocol.h"
#include "support/frames.h"

using testing_support::frame;
using testing_support::OpenRig;

namespace {

TEST(Clock, SetsTheInstrumentFromTheComputerWithSundayAsOneAndReadsSevenBytes) {
    const std::pair<platform::LocalDateTime, platform::Bytes> cases[] = {
        {{2026, 12, 6, 9, 5, 7, 0}, frame({28, 0x07, 0x05, 0x09, 0x06, 1, 0x12, 0x26})},  // Sunday
        {{2026, 12, 12, 23, 59, 58, 6}, frame({28, 0x58, 0x59, 0x23, 0x12, 7, 0x12, 0x26})},
    };
    for (const auto& [pc, sent] : cases) {
        OpenRig rig("p36e51");
        rig.clock.setLocal(pc);
        ASSERT_TRUE(rig.control.SicronizzaOra());
        EXPECT_EQ(rig.instrument.requests().back(), sent);
        auto back = rig.control.LeggiOra();
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(platform::toEpochSeconds(*back), platform::toEpochSeconds(pc));
        // A read fails unless seven bytes come.
        rig.instrument.addFault({sim::Fault::Kind::Replace, 0, {}, 0, platform::Bytes(6, 0)});
        EXPECT_FALSE(rig.control.LeggiOra().has_value());
    }
}

}  // namespace
