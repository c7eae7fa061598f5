// The instrument's memory test members: the frames of commands 36, 37 and 38 and how their
// answers are taken.
#include <gtest/gtest.h>

#include "support/frames.h"
#include "support/instrument_rig.h"

using platform::Bytes;
using testing_support::InstrumentRig;
using testing_support::frame;

namespace {

struct MemoryTestMembers : ::testing::Test {
    MemoryTestMembers() {
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    void answer(Bytes data) {
        rig.instrument.addFault({sim::Fault::Kind::Replace, 0, {}, 0, std::move(data)});
    }
    InstrumentRig rig{"p36e51"};
};

TEST_F(MemoryTestMembers, StartSendsTheCountAndTakesTheInstrumentsOwn) {
    int cicli = 200;
    EXPECT_TRUE(rig.control.StartTestMemory(cicli));
    EXPECT_EQ(cicli, 200);
    EXPECT_TRUE(rig.control.TestMemoriaInCorso());
    answer({6});
    cicli = 8;
    EXPECT_TRUE(rig.control.StartTestMemory(cicli));
    EXPECT_EQ(cicli, 6);
    EXPECT_EQ(rig.instrument.requests(), (std::vector<Bytes>{frame({36, 200}), frame({36, 8})}));
}

TEST_F(MemoryTestMembers, AnOddNegativeOrTooLargeCountSendsNothing) {
    for (int n : {3, 255, 256, 1000, -2}) {
        int cicli = n;
        EXPECT_FALSE(rig.control.StartTestMemory(cicli)) << n;
        EXPECT_EQ(cicli, n);
    }
    EXPECT_TRUE(rig.instrument.requests().empty());
    EXPECT_FALSE(rig.control.TestMemoriaInCorso());
}

TEST_F(MemoryTestMembers, StartWantsExactlyOneByte) {
    for (Bytes a : {Bytes{}, Bytes{4, 0}}) {
        answer(a);
        int cicli = 4;
        EXPECT_FALSE(rig.control.StartTestMemory(cicli));
        EXPECT_EQ(cicli, 4);
    }
    EXPECT_FALSE(rig.control.TestMemoriaInCorso());
}

TEST_F(MemoryTestMembers, StateTakesBit1AsErrorAndTheCountOnlyWhileBit0IsSet) {
    struct Case {
        Bytes answer;
        std::optional<std::pair<bool, int>> state;  // error, cycles left
    };
    const Case cases[] = {
        {{0x01, 7}, std::pair(false, 7)}, {{0x00, 7}, std::pair(false, 0)},
        {{0x03, 5}, std::pair(true, 5)},  {{0x02, 9}, std::pair(true, 0)},
        {{0xFC, 9}, std::pair(false, 0)}, {{0x01}, std::nullopt},
        {{0x01, 2, 3}, std::nullopt},
    };
    for (const Case& c : cases) {
        answer(c.answer);
        const auto s = rig.control.StatoTestMemory();
        ASSERT_EQ(s.has_value(), c.state.has_value());
        if (s) {
            EXPECT_EQ(s->errore, c.state->first);
            EXPECT_EQ(s->cicliRimasti, c.state->second);
        }
    }
    EXPECT_EQ(rig.instrument.requests().back(), frame({37}));
}

TEST_F(MemoryTestMembers, StopSendsItsCodeAndTheTestIsNoLongerRunning) {
    int cicli = 2;
    ASSERT_TRUE(rig.control.StartTestMemory(cicli));
    EXPECT_TRUE(rig.control.StopTestMemory());
    EXPECT_FALSE(rig.control.TestMemoriaInCorso());
    EXPECT_EQ(rig.instrument.requests().back(), frame({38}));
    rig.instrument.setSilent(true);
    EXPECT_FALSE(rig.control.StopTestMemory());
}

TEST_F(MemoryTestMembers, AStateWithoutBit0EndsTheRunningFlag) {
    int cicli = 2;
    ASSERT_TRUE(rig.control.StartTestMemory(cicli));
    answer({0x00, 3});
    ASSERT_TRUE(rig.control.StatoTestMemory());
    EXPECT_FALSE(rig.control.TestMemoriaInCorso());
}

}  // namespace
