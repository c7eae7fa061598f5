// The memory test (from the computer below extension 21, the instrument's own from 21), the
// header check with its new signature and the history reset: exact frames, boxes and texts,
// cancel on virtual time, the closing sequence.
#include <gtest/gtest.h>

#include "platform/protocol.h"
#include "service/command_log.h"
#include "service/diagnostics/memory_check.h"
#include "service/settings/nvram_commands.h"
#include "sim/nvram_image.h"

using namespace testing_support;
using platform::Bytes;
using platform::MessageIcon;
using platform::MessageResult;
using service::Outcome;

namespace {

Bytes addressed(std::uint8_t code, std::int32_t a, std::optional<std::uint8_t> value = {}) {
    Bytes f{0, code, static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(a >> 8),
            static_cast<std::uint8_t>(a >> 16)};
    if (value) f.push_back(*value);
    f[0] = static_cast<std::uint8_t>(f.size());
    f.push_back(platform::frameChecksum(f));
    return f;
}

struct Bench : CommandBench {
    using CommandBench::CommandBench;
    // The test on a link opened as the commands have it: what it answered, and its fault flag,
    // set before to the opposite of the one expected so that a flag left alone shows.
    std::pair<bool, bool> test(int cicli, bool faultExpected = false) {
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
        bool errore = !faultExpected;
        const bool ok = service::EseguiTestMemoria(host, cicli, errore);
        return {ok, errore};
    }
    Outcome run(service::MenuCommand command, std::deque<MessageResult> answers = {}) {
        host.boxes.answers = std::move(answers);
        return CommandBench::run(command);
    }
    int count(int code) const {
        const auto c = rig.commands();
        return static_cast<int>(std::count(c.begin(), c.end(), code));
    }
    // From the next write request on, the instrument hears nothing.
    void silentFromTheFirstWrite() {
        rig.instrument.frameObserver = [this](bool request, const Bytes&, std::uint8_t code) {
            if (request && code == 14) rig.instrument.setSilent(true);
        };
    }
};

const std::pair<bool, bool> kPassed{true, false}, kRefused{false, false};
constexpr MessageResult Yes = MessageResult::Yes, No = MessageResult::No;

const std::string kWipe =
    "Tutti i dati impostati nel KRN andranno persi, compresi i valori di taratura.\n"
    "Sei sicuro di voler continuare?";

TEST(MemoryTest, FromTheComputerTheFirstPassWalksTheNineteenAddressBits) {
    Bench b("p17e20");
    ASSERT_EQ(b.test(1), kPassed);
    std::vector<Bytes> expected;
    for (std::int32_t a = 1; a <= 262144; a *= 2) {
        expected.push_back(addressed(14, a, 0x55));
        expected.push_back(addressed(15, a));
        expected.push_back(addressed(14, 524287 - a, 0xAA));
        expected.push_back(addressed(15, 524287 - a));
    }
    EXPECT_EQ(b.rig.instrument.requests(), expected);
    EXPECT_EQ(b.host.maximum, 19);
    EXPECT_EQ(b.host.value, 19);
}

TEST(MemoryTest, Extension20IsTestedFromTheComputerAnd21ByTheInstrument) {
    for (int extension : {20, 21}) {
        Bench b(profileWith("p17e20", 198, extension));
        ASSERT_EQ(b.test(2), kPassed) << extension;
        const bool own = extension == 21;
        EXPECT_EQ(b.count(14), own ? 0 : 2 * 38) << extension;
        EXPECT_EQ(b.count(36), own ? 1 : 0) << extension;
        EXPECT_EQ(b.rig.commands().back(), own ? 38 : 15) << extension;
        EXPECT_EQ(b.host.maximum, own ? 50 : 38);
    }
}

TEST(MemoryTest, AFaultyCellFailsTheTestAndOnlyTheHighByteShowsMemoryError) {
    struct Case {
        std::uint32_t cell;
        std::pair<int, int> lastWrite;
        bool box;
    };
    // krnctl --verify does not change the test: it reads back its own writes. (A faulty cell
    // at 0..11 is found by the verified erase before the test.)
    for (const bool verify : {false, true})
        for (const Case& c : {Case{4, {4, 0x55}, false}, Case{524283, {524283, 0xAA}, true}}) {
            if (verify && c.cell < 12) continue;
            Bench b("p17e20");
            b.rig.control.nvram().verify = verify;
            b.rig.instrument.setFaultyCell(c.cell);
            EXPECT_EQ(b.run(&service::MemoryTestCommand, {Yes, Yes}), Outcome::Failed);
            auto writes = byteWrites(b.rig);
            // The erase of 0..11 (below extension 30), then the test up to the failing byte.
            ASSERT_GT(writes.size(), 12u);
            EXPECT_EQ(writes[11], std::make_pair(11, 0));
            EXPECT_EQ(writes.back(), c.lastWrite);
            Texts texts{kWipe, "Version detected: 1.98\nAre you sure to continue?"};
            if (c.box) texts.push_back("Memory Error !");
            texts.push_back("Test memory fail.");
            EXPECT_EQ(b.host.boxes.texts(), texts);
            EXPECT_EQ(b.host.boxes.boxes.back().icon, MessageIcon::Critical);
            if (c.box) {
                EXPECT_EQ(b.host.boxes.boxes[2].icon, MessageIcon::Critical);
            }
            EXPECT_TRUE(endedCleanly(b.rig));
            EXPECT_TRUE(b.host.status.empty());
            EXPECT_EQ(b.rig.control.nvram().verify, verify);
            EXPECT_FALSE(b.rig.control.nvram().verifyFailure);
        }
}

TEST(MemoryTest, TheInstrumentIsFollowedOnItsClockUntilItHasNoCyclesLeft) {
    Bench b;
    const auto start = b.rig.clock.now();
    ASSERT_EQ(b.test(4), kPassed);  // 2 s a cycle in the simulator
    const auto c = b.rig.commands();
    EXPECT_EQ(c.front(), 36);
    EXPECT_EQ(c.back(), 38);
    EXPECT_EQ(b.count(37), static_cast<int>(c.size()) - 2);
    // Asked about twice a second, not as fast as the link allows.
    EXPECT_GE(b.count(37), 16);
    EXPECT_LE(b.count(37), 18);
    EXPECT_GE(b.rig.elapsed(start), 8.0);
    EXPECT_LT(b.rig.elapsed(start), 9.5);
    EXPECT_EQ(b.host.maximum, 100);  // 25 a cycle
    EXPECT_EQ(b.host.value, 100);
    EXPECT_FALSE(b.rig.control.TestMemoriaInCorso());
}

TEST(MemoryTest, AStateWithoutTheRunningBitEndsThePollingWhateverItsCount) {
    Bench b;
    ASSERT_TRUE(b.rig.openSerial());
    b.rig.instrument.clearLog();
    b.rig.instrument.addFault({sim::Fault::Kind::Replace, 0, {}, 1, Bytes{0x00, 77}});
    bool errore = true;
    ASSERT_TRUE(service::EseguiTestMemoria(b.host, 200, errore));
    EXPECT_FALSE(errore);
    EXPECT_EQ(b.rig.commands(), (std::vector<int>{36, 37, 38}));
}

TEST(MemoryTest, TheInstrumentsErrorBitIsAFaultyCellAndTheTestIsStopped) {
    Bench b;
    b.rig.instrument.setFaultyCell(70000);
    ASSERT_EQ(b.test(200, true), std::make_pair(true, true));
    EXPECT_EQ(b.rig.commands().back(), 38);
    EXPECT_LE(b.count(37), 6);
}

TEST(MemoryTest, OddCountsAnd256SendNothingToTheInstrument) {
    for (int cicli : {3, 256}) {
        Bench b;
        EXPECT_EQ(b.test(cicli), kRefused) << cicli;
        EXPECT_TRUE(b.rig.instrument.requests().empty()) << cicli;
    }
}

TEST(MemoryTest, CancelIsHonouredAfterAPassOrBeforeAStateQuestion) {
    {
        Bench b("p17e20");
        b.host.cancelAfterEvents = 2;  // during the first pass
        EXPECT_EQ(b.test(3), kRefused);
        EXPECT_EQ(b.rig.instrument.requests().size(), 76u);  // the whole first pass
    }
    {
        Bench b;
        b.host.cancelAfterEvents = 25;
        EXPECT_FALSE(b.test(200).first);
        // The instrument is told to stop: it would go on erasing after the tool let it go.
        EXPECT_EQ(b.rig.commands().back(), 38);
        EXPECT_FALSE(b.rig.instrument.memoryTest().running);
        EXPECT_LE(b.count(37), 4);
    }
}

TEST(MemoryTest, TheMenuCommandAsksTwiceErasesTestsAndTells) {
    struct Case {
        std::deque<MessageResult> answers;
        int cancelAfterEvents;
        Outcome outcome;
        Texts texts;
    };
    const std::string version = "Version detected: 2.48\nAre you sure to continue?";
    const Case cases[] = {
        {{No}, -1, Outcome::Cancelled, {kWipe}},
        {{Yes, No}, -1, Outcome::Cancelled, {kWipe, version}},
        {{Yes, Yes}, -1, Outcome::Done, {kWipe, version, "Test memory OK"}},
        {{Yes, Yes}, 40, Outcome::Cancelled, {kWipe, version, "Communication error."}},
    };
    for (const Case& c : cases) {
        Bench b;
        b.host.cancelAfterEvents = c.cancelAfterEvents;
        EXPECT_EQ(b.run(&service::MemoryTestCommand, c.answers), c.outcome);
        EXPECT_EQ(b.host.boxes.texts(), c.texts);
        const bool tested = c.texts.size() == 3;
        EXPECT_EQ(b.count(36), tested ? 1 : 0);
        EXPECT_EQ(b.count(14), tested ? 24 : 0);  // the erase: 0..11 and 512..523
        if (c.outcome == Outcome::Done) {
            EXPECT_EQ(b.host.boxes.boxes.back().icon, MessageIcon::Information);
            EXPECT_EQ(b.rig.instrument.memoryTest().cycles, 200);
            EXPECT_EQ(b.rig.instrument.nvram()[7], 0);  // left without its signature
        }
        EXPECT_TRUE(endedCleanly(b.rig));
    }
}

TEST(MemoryTest, AFailedEraseIsACommunicationError) {
    Bench b;
    b.silentFromTheFirstWrite();
    EXPECT_EQ(b.run(&service::MemoryTestCommand, {Yes, Yes}), Outcome::Failed);
    EXPECT_EQ(b.host.boxes.texts().back(), "Communication error.");
    EXPECT_EQ(b.count(36), 0);
}

std::string headerBox(const std::array<int, 12>& bytes) {
    const char* labels[12] = {"  F : 70",    "  o : 111", "  n : 110",
                              "  t : 116",   "  O : 79",  "  K : 75",
                              "  Font type", "  K : 75",  "  R : 82",
                              "  N : 78",    "  V : 86",  " tipo ram (bit7=UpdateMode)"};
    const char* hex = "0123456789AB";
    std::string text = "Stato:\n";
    for (int k = 0; k < 12; ++k)
        text += std::string("RAM [0x0000") + hex[k] + "]: " + std::to_string(bytes[k]) + labels[k] +
                "\n";
    return text;
}

TEST(HeaderCheck, TheBoxShowsEachByteBesideWhatAValidHeaderHolds) {
    Bench b;
    auto& nv = b.rig.instrument.nvram();
    std::array<int, 12> bytes{};
    for (int k = 0; k < 12; ++k) bytes[k] = nv[k];
    EXPECT_EQ(b.run(&service::WriteCheckSumCommand, {MessageResult::Ok, No}), Outcome::Done);
    ASSERT_EQ(b.host.boxes.boxes.size(), 2u);
    EXPECT_EQ(b.host.boxes.texts()[0], headerBox(bytes));
    EXPECT_EQ(bytes[0], 70);
    const platform::MessageBox& ask = b.host.boxes.boxes[1];
    EXPECT_EQ(ask.text, "Now I write a new checksum.\nAre you sure?");
    EXPECT_EQ(ask.buttons, platform::MessageButtons::YesNoCancel);
    EXPECT_EQ(ask.defaultButton, 1);
    EXPECT_EQ(b.count(14), 0);
    const auto reads = readAddresses(b.rig, 15);
    ASSERT_GE(reads.size(), 12u);
    EXPECT_EQ(std::vector<int>(reads.end() - 12, reads.end()),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(endedCleanly(b.rig));
}

TEST(HeaderCheck, AnErasedHeaderStillShowsTheExpectedCodesAndYesWritesTheSignature) {
    Bench b;
    auto& nv = b.rig.instrument.nvram();
    const std::vector<std::uint8_t> signature(nv.begin(), nv.begin() + 12);
    std::fill_n(nv.begin(), 12, 0);
    EXPECT_EQ(b.run(&service::WriteCheckSumCommand, {MessageResult::Ok, Yes, MessageResult::Ok}),
              Outcome::Done);
    EXPECT_EQ(b.host.boxes.texts(),
              (Texts{headerBox({}), "Now I write a new checksum.\nAre you sure?", "Done"}));
    ByteWrites writes;
    for (int a = 0; a < 12; ++a) writes.emplace_back(a, signature[static_cast<std::size_t>(a)]);
    EXPECT_EQ(byteWrites(b.rig), writes);
    EXPECT_TRUE(endedCleanly(b.rig));
}

TEST(HeaderCheck, AnUnreadableHeaderShowsNoBoxAndAFailedWriteSaysFail) {
    {
        Bench b;
        b.rig.instrument.setUnreadable({5});
        EXPECT_EQ(b.run(&service::WriteCheckSumCommand, {No}), Outcome::Failed);
        EXPECT_EQ(b.host.boxes.texts(), (Texts{"Now I write a new checksum.\nAre you sure?"}));
    }
    {
        Bench b;
        b.silentFromTheFirstWrite();
        EXPECT_EQ(
            b.run(&service::WriteCheckSumCommand, {MessageResult::Ok, Yes, MessageResult::Ok}),
            Outcome::Failed);
        EXPECT_EQ(b.host.boxes.texts().back(), "Fail");
    }
}

// The history geometry of the simulated instrument: start, jobs with a history.
std::pair<int, int> story(const InstrumentRig& rig) {
    const auto& nv = rig.instrument.nvram();
    return {nv[18] | nv[19] << 8 | nv[20] << 16, nv[241]};
}

TEST(ResetHistory, ThePointersAreClearedOnTheOpenLinkAndTheInstrumentRestarted) {
    for (int jobs : {-1, 0}) {
        Bench b;
        auto& nv = b.rig.instrument.nvram();
        if (jobs >= 0) nv[241] = static_cast<std::uint8_t>(jobs);
        const auto [start, withHistory] = story(b.rig);
        for (std::uint32_t i = 0; i < withHistory * sim::kPointerSize; ++i)
            nv[static_cast<std::size_t>(start) + i] = 9;
        ASSERT_TRUE(b.rig.openSerial());
        const int restarts = b.rig.instrument.restarts();
        EXPECT_EQ(b.run(&service::ResetHistoryCommand, {Yes}), Outcome::Done);
        ByteWrites zeros;
        for (std::uint32_t i = 0; i < withHistory * sim::kPointerSize; ++i)
            zeros.emplace_back(start + static_cast<int>(i), 0);
        EXPECT_EQ(byteWrites(b.rig), zeros) << jobs;
        EXPECT_EQ(b.rig.instrument.restarts(), restarts + 1);
        EXPECT_EQ(b.host.boxes.texts(),
                  (Texts{"Are you sure to continue?", "Clean process successful."}));
        EXPECT_EQ(b.host.boxes.boxes[0].icon, MessageIcon::Question);
        EXPECT_EQ(b.host.boxes.boxes[0].defaultButton, 1);
        EXPECT_TRUE(b.host.selectionTitles.empty());
        EXPECT_TRUE(endedCleanly(b.rig));
    }
}

TEST(ResetHistory, WithoutALinkWithoutAClockOrWithoutYesNothingIsWritten) {
    struct Case {
        const char* profile;
        bool open;
        std::deque<MessageResult> answers;
        Outcome outcome;
        Texts texts;
    };
    const Case cases[] = {
        {"p36e51", false, {}, Outcome::Failed, {"Is not possible the KRN's blocking."}},
        {"p9e9", true, {}, Outcome::Refused, {"No clock."}},
        {"p36e51", true, {No}, Outcome::Cancelled, {"Are you sure to continue?"}},
    };
    for (const Case& c : cases) {
        Bench b(c.profile);
        if (c.open) {
            ASSERT_TRUE(b.rig.openSerial());
        }
        EXPECT_EQ(b.run(&service::ResetHistoryCommand, c.answers), c.outcome) << c.profile;
        EXPECT_EQ(b.host.boxes.texts(), c.texts);
        EXPECT_EQ(b.count(14), 0);
        if (c.open) {
            EXPECT_TRUE(endedCleanly(b.rig));
        } else {
            EXPECT_TRUE(b.rig.instrument.requests().empty());
        }
    }
}

}  // namespace
