// The instrument's memory test members: the frames of commands 36, 37 and 38 and how their
// answers are taken.
#include <gtest/gtest.h>

#include "support/frames.h"
#include "support/instrument_rig.h"

using platform::Bytes;
using testing_support::frame;
using testing_support::InstrumentRig;

namespace {

struct MemoryTestMembers : ::testing::Test {
    MemoryTestMembers() {
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    void answer(Bytes data) {
        rig.instrument.addFault({sim::Fault::Kind::Replace, 0, {}, 0, std::move(data)});
    }
    // Starts with `cycles`; gives whether it started and the count it left.
    std::pair<bool, int> start(int cycles) {
        const bool ok = rig.control.StartTestMemory(cycles);
        return {ok, cycles};
    }
    InstrumentRig rig{"p36e51"};
};

TEST_F(MemoryTestMembers, StartSendsTheCountAndTakesTheInstrumentsOwn) {
    EXPECT_EQ(start(200), std::pair(true, 200));
    EXPECT_TRUE(rig.control.TestMemoriaInCorso());
    answer({6});
    EXPECT_EQ(start(8), std::pair(true, 6));
    EXPECT_EQ(rig.instrument.requests(), (std::vector<Bytes>{frame({36, 200}), frame({36, 8})}));
}

TEST_F(MemoryTestMembers, AnOddNegativeOrTooLargeCountOrAnAnswerNotOfOneByteFails) {
    for (int n : {3, 255, 256, 1000, -2}) EXPECT_EQ(start(n), std::pair(false, n));
    EXPECT_TRUE(rig.instrument.requests().empty());
    for (Bytes a : {Bytes{}, Bytes{4, 0}}) {
        answer(a);
        EXPECT_EQ(start(4), std::pair(false, 4));
    }
    EXPECT_FALSE(rig.control.TestMemoriaInCorso());
}

TEST_F(MemoryTestMembers, StateTakesBit1AsErrorAndTheCountOnlyWhileBit0IsSet) {
    const std::pair<Bytes, std::optional<std::pair<bool, int>>> cases[] = {
        {{0x01, 7}, std::pair(false, 7)}, {{0x00, 7}, std::pair(false, 0)},
        {{0x03, 5}, std::pair(true, 5)},  {{0x02, 9}, std::pair(true, 0)},
        {{0xFC, 9}, std::pair(false, 0)}, {{0x01}, std::nullopt},
        {{0x01, 2, 3}, std::nullopt},
    };
    for (const auto& [bytes, state] : cases) {  // error, cycles left
        answer(bytes);
        const auto s = rig.control.StatoTestMemory();
        EXPECT_EQ(s ? std::optional(std::pair(s->errore, s->cicliRimasti)) : std::nullopt, state);
    }
    EXPECT_EQ(rig.instrument.requests().back(), frame({37}));
}

TEST_F(MemoryTestMembers, StopSendsItsCodeAndTheTestIsNoLongerRunning) {
    ASSERT_TRUE(start(2).first);
    EXPECT_TRUE(rig.control.StopTestMemory());
    EXPECT_FALSE(rig.control.TestMemoriaInCorso());
    EXPECT_EQ(rig.instrument.requests().back(), frame({38}));
    rig.instrument.setSilent(true);
    EXPECT_FALSE(rig.control.StopTestMemory());
}

}  // namespace
