#include <gtest/gtest.h>

#include "instrument/clock_members.h"
#include "platform/protocol.h"
#include "support/instrument_rig.h"

using testing_support::InstrumentRig;

namespace {

TEST(Clock, DecodesPackedBcdWithTheFieldMasks) {
    struct Case {
        std::array<std::uint8_t, 7> bytes;
        platform::LocalDateTime expected;
    };
    const Case cases[] = {
        {{0x59, 0x59, 0x23, 0x31, 0x03, 0x12, 0x99}, {2099, 12, 31, 23, 59, 59, 4}},
        {{0xD9, 0x59, 0xE3, 0xF1, 0x07, 0xE2, 0x00},
         {2000, 2, 31, 23, 59, 59, 4}},  // stray bits off
        {{0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00}, {2000, 1, 1, 0, 0, 0, 6}},
    };
    for (const Case& c : cases) {
        const auto t = instrument::decodeClock(c.bytes);
        EXPECT_EQ(t.year, c.expected.year);
        EXPECT_EQ(t.month, c.expected.month);
        EXPECT_EQ(t.day, c.expected.day);
        EXPECT_EQ(t.hour, c.expected.hour);
        EXPECT_EQ(t.minute, c.expected.minute);
        EXPECT_EQ(t.second, c.expected.second);
    }
}

TEST(Clock, SetsTheInstrumentFromTheComputerWithSundayAsOne) {
    struct Case {
        platform::LocalDateTime pc;
        std::vector<std::uint8_t> sent;  // the seven bytes after the command code
    };
    const Case cases[] = {
        {{2026, 12, 6, 9, 5, 7, 0}, {0x07, 0x05, 0x09, 0x06, 1, 0x12, 0x26}},      // a Sunday
        {{2026, 12, 12, 23, 59, 58, 6}, {0x58, 0x59, 0x23, 0x12, 7, 0x12, 0x26}},  // a Saturday
        {{2000, 1, 1, 0, 0, 0, 6}, {0x00, 0x00, 0x00, 0x01, 7, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        rig.clock.setLocal(c.pc);
        rig.instrument.clearLog();
        ASSERT_TRUE(rig.control.SicronizzaOra());
        platform::Bytes expected{9, 28};
        expected.insert(expected.end(), c.sent.begin(), c.sent.end());
        expected.push_back(platform::frameChecksum(expected));
        EXPECT_EQ(rig.instrument.requests().back(), expected);
        auto back = rig.control.LeggiOra();
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(platform::toEpochSeconds(*back), platform::toEpochSeconds(c.pc));
    }
}

TEST(Clock, ReadFailsUnlessSevenBytesCome) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.setClock({2030, 5, 4, 3, 2, 1, 6}, rig.clock.now());
    auto t = rig.control.LeggiOra();
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->year, 2030);
    EXPECT_EQ(t->second, 1);
    rig.instrument.addFault({sim::Fault::Kind::Replace, 0, {}, 0, platform::Bytes(6, 0)});
    EXPECT_FALSE(rig.control.LeggiOra().has_value());
}

}  // namespace
