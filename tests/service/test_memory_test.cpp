// The memory test (from the computer below extension 21, the instrument's own from 21), the
// header check with its new signature and the history reset: exact frames, boxes and texts,
// cancel on virtual time, the closing sequence.
#include <gtest/gtest.h>

#include "service/command_log.h"
#include "service/diagnostics/memory_check.h"
#include "service/settings/nvram_commands.h"
#include "sim/nvram_image.h"
#include "support/frames.h"

using namespace testing_support;
using platform::Bytes;
using platform::MessageIcon;
using platform::MessageResult;
using service::Outcome;

namespace {

Bytes addressed(std::uint8_t code, std::int32_t a, std::optional<std::uint8_t> value = {}) {
    Bytes p{code, static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(a >> 8),
            static_cast<std::uint8_t>(a >> 16)};
    if (value) p.push_back(*value);
    return frame(p);
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
    EXPECT_EQ(std::make_pair(b.host.maximum, b.host.value), std::make_pair(19l, 19l));
}

TEST(MemoryTest, AFaultyCellFailsTheTestAndOnlyTheHighByteShowsMemoryError) {
    for (const auto& [verify, cell, value] :
         {std::tuple{false, 4u, 0x55}, {false, 524283u, 0xAA}, {true, 524283u, 0xAA}}) {
        Bench b("p17e20");
        b.rig.control.nvram().verify = verify;
        b.rig.instrument.setFaultyCell(cell);
        EXPECT_EQ(b.run(&service::MemoryTestCommand, {Yes, Yes}), Outcome::Failed);
        auto writes = byteWrites(b.rig);
        // The erase of 0..11 (below extension 30), then the test up to the failing byte.
        ASSERT_GT(writes.size(), 12u);
        EXPECT_EQ(writes[11], std::make_pair(11, 0));
        EXPECT_EQ(writes.back(), std::make_pair(static_cast<int>(cell), value));
        const bool high = value == 0xAA;
        Texts texts{kWipe, "Version detected: 1.98\nAre you sure to continue?"};
        if (high) texts.push_back("Memory Error !");
        texts.push_back("Test memory fail.");
        EXPECT_EQ(b.host.boxes.texts(), texts);
        for (const auto& box : b.host.boxes.boxes)
            if (box.text != kWipe && box.text.rfind("Version", 0) != 0) {
                EXPECT_EQ(box.icon, MessageIcon::Critical) << box.text;
            }
        EXPECT_TRUE(endedCleanly(b.rig));
        EXPECT_TRUE(b.host.status.empty());
        EXPECT_EQ(b.rig.control.nvram().verify, verify);
        EXPECT_FALSE(b.rig.control.nvram().verifyFailure);
    }
}

TEST(MemoryTest, TheInstrumentsErrorBitIsAFaultyCellAndTheTestIsStopped) {
    Bench b;
    b.rig.instrument.setFaultyCell(70000);
    ASSERT_EQ(b.test(200, true), std::make_pair(true, true));
    EXPECT_EQ(b.rig.commands().back(), 38);
    EXPECT_LE(b.count(37), 6);
}

TEST(MemoryTest, CancelIsHonouredAfterAPassOrBeforeAStateQuestion) {
    Bench computer("p17e20");
    computer.host.cancelAfterEvents = 2;  // during the first pass
    EXPECT_EQ(computer.test(3), kRefused);
    EXPECT_EQ(computer.rig.instrument.requests().size(), 76u);  // the whole first pass
    Bench own;
    own.host.cancelAfterEvents = 25;
    EXPECT_FALSE(own.test(200).first);
    // The instrument is told to stop: it would go on erasing after the tool let it go.
    EXPECT_EQ(own.rig.commands().back(), 38);
    EXPECT_FALSE(own.rig.instrument.memoryTest().running);
    EXPECT_LE(own.count(37), 4);
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

TEST(HeaderCheck, AnUnreadableHeaderShowsNoBoxAndAFailedWriteSaysFail) {
    Bench unreadable;
    unreadable.rig.instrument.setUnreadable({5});
    EXPECT_EQ(unreadable.run(&service::WriteCheckSumCommand, {No}), Outcome::Failed);
    EXPECT_EQ(unreadable.host.boxes.texts(), (Texts{"Now I write a new checksum.\nAre you sure?"}));
    Bench silent;
    silent.silentFromTheFirstWrite();
    EXPECT_EQ(
        silent.run(&service::WriteCheckSumCommand, {MessageResult::Ok, Yes, MessageResult::Ok}),
        Outcome::Failed);
    EXPECT_EQ(silent.host.boxes.texts().back(), "Fail");
}

TEST(ResetHistory, ThePointersAreClearedOnTheOpenLinkAndTheInstrumentRestarted) {
    for (int jobs : {-1, 0}) {
        Bench b;
        auto& nv = b.rig.instrument.nvram();
        if (jobs >= 0) nv[241] = static_cast<std::uint8_t>(jobs);
        // The history's start and the jobs with a history.
        const int start = nv[18] | nv[19] << 8 | nv[20] << 16, bytes = nv[241] * sim::kPointerSize;
        ByteWrites zeros;
        for (int i = 0; i < bytes; ++i) {
            nv[static_cast<std::size_t>(start + i)] = 9;
            zeros.emplace_back(start + i, 0);
        }
        ASSERT_TRUE(b.rig.openSerial());
        const int restarts = b.rig.instrument.restarts();
        EXPECT_EQ(b.run(&service::ResetHistoryCommand, {Yes}), Outcome::Done);
        EXPECT_EQ(byteWrites(b.rig), zeros) << jobs;
        EXPECT_EQ(b.rig.instrument.restarts(), restarts + 1);
        EXPECT_EQ(b.host.boxes.texts(),
                  (Texts{"Are you sure to continue?", "Clean process successful."}));
        EXPECT_EQ(std::make_pair(b.host.boxes.boxes[0].icon, b.host.boxes.boxes[0].defaultButton),
                  std::make_pair(MessageIcon::Question, 1));
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
        EXPECT_EQ(c.open && b.rig.openSerial(), c.open);
        EXPECT_EQ(b.run(&service::ResetHistoryCommand, c.answers), c.outcome) << c.profile;
        EXPECT_EQ(b.host.boxes.texts(), c.texts);
        EXPECT_EQ(b.count(14), 0);
        EXPECT_EQ(c.open ? endedCleanly(b.rig) : b.rig.instrument.requests().empty(), true);
    }
}

}  // namespace
