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

TEST(MemoryTest, CancelOrTheInstrumentsErrorBitStopsTheTest) {
    Bench computer("p17e20");
    computer.host.cancelAfterEvents = 2;  // during the first pass
    EXPECT_EQ(computer.test(3), kRefused);
    EXPECT_EQ(computer.rig.instrument.requests().size(), 76u);  // the whole first pass
    // The instrument's own test is told to stop (it would go on erasing after the tool let it
    // go) on a cancel, and on its error bit, which is a faulty cell.
    for (const bool faulty : {false, true}) {
        Bench own;
        if (faulty) own.rig.instrument.setFaultyCell(70000);
        own.host.cancelAfterEvents = faulty ? -1 : 25;
        EXPECT_EQ(own.test(200, faulty), std::make_pair(faulty, faulty));
        EXPECT_EQ(own.rig.commands().back(), 38);
        EXPECT_FALSE(own.rig.instrument.memoryTest().running);
        EXPECT_LE(own.count(37), faulty ? 6 : 4);
    }
}

TEST(MemoryTest, TheMenuCommandAsksTwiceErasesTestsAndTells) {
    struct Case {
        std::deque<MessageResult> answers;
        int cancelAfterEvents;  // -2: silent from the erase's first write
        Outcome outcome;
        Texts texts;
    };
    const std::string version = "Version detected: 2.48\nAre you sure to continue?";
    const Texts failed = {kWipe, version, "Communication error."};
    // The erase: the header 0..11 and, from extension 30, its copy at 512..523.
    ByteWrites erase;
    for (int a : {0, 512})
        for (int i = 0; i < 12; ++i) erase.emplace_back(a + i, 0);
    const Case cases[] = {
        {{No}, -1, Outcome::Cancelled, {kWipe}},
        {{Yes, No}, -1, Outcome::Cancelled, {kWipe, version}},
        {{Yes, Yes}, 40, Outcome::Cancelled, failed},
        {{Yes, Yes}, -2, Outcome::Failed, failed},  // a failed erase: no test started
    };
    for (const Case& c : cases) {
        Bench b;
        b.host.cancelAfterEvents = std::max(c.cancelAfterEvents, -1);
        if (c.cancelAfterEvents == -2) b.silentFromTheFirstWrite();
        EXPECT_EQ(b.run(&service::MemoryTestCommand, c.answers), c.outcome);
        EXPECT_EQ(b.host.boxes.texts(), c.texts);
        EXPECT_EQ(b.count(36), c.cancelAfterEvents == 40 ? 1 : 0);
        if (c.cancelAfterEvents == -2) continue;
        EXPECT_EQ(byteWrites(b.rig), c.texts.size() == 3 ? erase : ByteWrites{});
        EXPECT_TRUE(endedCleanly(b.rig));
    }
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

// The history's pointers and those of every job with a history are cleared on the open link
// and the instrument restarted; without a link, without a clock or without Yes nothing is written.
TEST(ResetHistory, ThePointersAreClearedOnTheOpenLinkOrNothingIsWritten) {
    struct Case {
        const char* profile;
        bool open;
        int jobs;  // with a history; -1: as the instrument has them
        std::deque<MessageResult> answers;
        Outcome outcome;
        Texts texts;
    };
    const std::string asked = "Are you sure to continue?", done = "Clean process successful.";
    const Case cases[] = {
        {"p36e51", true, -1, {Yes}, Outcome::Done, {asked, done}},
        {"p36e51", true, 0, {Yes}, Outcome::Done, {asked, done}},
        {"p36e51", false, -1, {}, Outcome::Failed, {"Is not possible the KRN's blocking."}},
        {"p9e9", true, -1, {}, Outcome::Refused, {"No clock."}},
        {"p36e51", true, -1, {No}, Outcome::Cancelled, {asked}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile + std::to_string(c.jobs) + c.texts.back());
        Bench b(c.profile);
        auto& nv = b.rig.instrument.nvram();
        if (c.jobs >= 0) nv[241] = static_cast<std::uint8_t>(c.jobs);
        ByteWrites zeros;
        if (c.outcome == Outcome::Done) {
            const int start = nv[18] | nv[19] << 8 | nv[20] << 16,
                      bytes = nv[241] * sim::kPointerSize;
            for (int i = 0; i < bytes; ++i) {
                nv[static_cast<std::size_t>(start + i)] = 9;
                zeros.emplace_back(start + i, 0);
            }
        }
        EXPECT_EQ(c.open && b.rig.openSerial(), c.open);
        const int restarts = b.rig.instrument.restarts();
        EXPECT_EQ(b.run(&service::ResetHistoryCommand, c.answers), c.outcome);
        EXPECT_EQ(byteWrites(b.rig), zeros);
        EXPECT_EQ(b.rig.instrument.restarts(), restarts + (c.outcome == Outcome::Done));
        EXPECT_EQ(b.host.boxes.texts(), c.texts);
        if (c.texts[0] == asked) {
            EXPECT_EQ(std::tie(b.host.boxes.boxes[0].icon, b.host.boxes.boxes[0].defaultButton),
                      std::make_tuple(MessageIcon::Question, 1));
        }
        EXPECT_TRUE(b.host.selectionTitles.empty());
        EXPECT_EQ(c.open ? endedCleanly(b.rig) : b.rig.instrument.requests().empty(), true);
    }
}

}  // namespace
