// The firmware update against the simulated instrument and its loader: the block table, compare
// before write, page erases, the scrambled bytes, verify and Retry, update mode, and an
// interrupted update that can be repeated.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "service/command_log.h"
#include "service/device/firmware_update.h"
#include "support/image_folder.h"

using namespace testing_support;
using platform::MessageResult;
using service::Outcome;

namespace {

constexpr int kKey = sim::kFlashWriteKey;

struct Record {
    int address, first, second;
};

std::vector<Record> records(int start, int bytes, unsigned seed) {
    std::mt19937 r(seed);
    std::vector<Record> out;
    for (int a = start; a < start + bytes; a += 2)
        out.push_back({a, static_cast<int>(r() % 256), static_cast<int>(r() % 256)});
    return out;
}

std::string text(const std::vector<Record>& rs) {
    std::string t;
    for (const Record& r : rs)
        t += std::to_string(r.address) + ":" + std::to_string(r.first) + ":" +
             std::to_string(r.second) + "\r\n";
    return t;
}

void writeFile(const std::string& p, const std::string& content) {
    std::ofstream(p, std::ios::binary) << content;
}

const std::vector<Record> kLoader1 = records(0, 256, 1);
const std::vector<Record> kLoader0 = records(256, 256, 2);
const std::vector<Record> kFirmware = records(4096, 512, 3);

struct Bench {
    explicit Bench(const std::string& profile = "p17e23")
        : dir("fw"), rig(profile), host(rig, dir.path()), chosen(dir.file("update.atm")) {
        writeFile(dir.file("blockKRNV1.asm"), text(kLoader1));
        writeFile(dir.file("blockKRNV0.asm"), text(kLoader0));
        writeFile(chosen, text(kFirmware));
        host.selections = {"COM: 1"};
        host.boxes.files = {chosen};
    }
    Outcome run(std::deque<MessageResult> answers = {MessageResult::Yes, MessageResult::Yes}) {
        host.boxes.answers = std::move(answers);
        rig.instrument.clearLog();
        return service::runCommand(host, service::menuCommands().at("mnuUpdate"));
    }
    std::uint8_t& flash(int address) {
        return rig.instrument.flash()[static_cast<std::size_t>(address)];
    }
    // The flash as the loader leaves it after writing these records.
    void preload(const std::vector<Record>& rs) {
        for (const Record& r : rs) {
            flash(r.address) = static_cast<std::uint8_t>(r.first ^ kKey);
            flash(r.address + 1) = static_cast<std::uint8_t>(r.second ^ kKey);
        }
    }
    bool holds(const std::vector<Record>& rs) {
        return std::all_of(rs.begin(), rs.end(), [&](const Record& r) {
            return (flash(r.address) ^ kKey) == r.first &&
                   (flash(r.address + 1) ^ kKey) == r.second;
        });
    }
    // Every block written and the instrument out of its loader.
    void expectUpdated() {
        EXPECT_TRUE(holds(kLoader1) && holds(kLoader0) && holds(kFirmware));
        EXPECT_FALSE(rig.instrument.loaderActive());
    }
    // After a broken-off run the link is back: a second run completes the update.
    void expectASecondRunCompletes() {
        rig.instrument.frameObserver = nullptr;
        rig.instrument.setSilent(false);
        host.cancelAfterEvents = -1;
        host.boxes.boxes.clear();
        host.selections = {"COM: 1"};
        host.boxes.files = {chosen};
        EXPECT_EQ(run(), Outcome::Done);
        EXPECT_EQ(host.boxes.texts().back(), "Update sucessfully");
        expectUpdated();
    }
    std::vector<int> erases() const { return readAddresses(rig, 25); }  // the page erases
    ImageFolder dir;
    InstrumentRig rig;
    TestHost host;
    std::string chosen;
};

const Texts kQuestions = {"Update firmware?", "Are you sure to continue?"};
const std::string kOtherVersion =
    "Version's instrument is not compatible\nVersion: 2.48\nDo you wont to update?";
const std::string kFail = "Update fail.\nVery important to repeat.";

Texts plus(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(FirmwareUpdate, AnEmptyFlashGetsEveryBlockPageByPage) {
    Bench b;
    EXPECT_EQ(b.run(), Outcome::Done);
    // No preselected in the question, the instrument named, success told (the texts: the tables
    // below).
    const auto& boxes = b.host.boxes.boxes;
    EXPECT_EQ(std::tie(boxes.back().icon, boxes[0].defaultButton, boxes[0].informative),
              std::make_tuple(platform::MessageIcon::Information, 1,
                              "Instrument: KRN-17, COM: 1 (RS-232)"));
    b.expectUpdated();
    // One erase per 64-byte page, at the page's first record; blocks in table order.
    std::vector<int> pages;
    for (int a = 0; a < 512; a += 64) pages.push_back(a);
    for (int a = 4096; a < 4096 + 512; a += 64) pages.push_back(a);
    EXPECT_EQ(b.erases(), pages);
    EXPECT_TRUE(endedCleanly(b.rig));
}

TEST(FirmwareUpdate, ARecordAt128ErasesItsPageAndOneAt130DoesNot) {
    Bench b;
    b.preload(kLoader1);
    b.preload(kLoader0);
    writeFile(b.chosen, "128:1:2\r\n130:3:4\r\n");
    EXPECT_EQ(b.run(), Outcome::Done);
    // The loader blocks the flash holds already are compared and left alone: the one erase and
    // the one program below are the chosen file's.
    EXPECT_EQ(b.erases(), std::vector<int>{128});
    // The bytes go to the loader scrambled with the key, in one 8-byte block at 128.
    std::vector<platform::Bytes> programs;
    for (const auto& r : b.rig.instrument.requests())
        if (r.size() > 1 && r[1] == 26) programs.emplace_back(r.begin() + 2, r.end() - 1);
    EXPECT_EQ(programs, (std::vector<platform::Bytes>{{128, 0, 0, 1 ^ 0xA5, 2 ^ 0xA5, 3 ^ 0xA5,
                                                       4 ^ 0xA5, 0xFF, 0xFF, 0xFF, 0xFF}}));
    EXPECT_TRUE(b.holds({{128, 1, 2}, {130, 3, 4}}));
}

// No to a question ends the update before any erase: to the other version's, asked first, or
// to the first confirmation.
TEST(FirmwareUpdate, NoToAQuestionEndsItBeforeAnyErase) {
    for (const bool other : {true, false}) {
        Bench b(other ? "p36e51" : "p17e23");
        EXPECT_EQ(b.run({MessageResult::No}), Outcome::Cancelled);
        EXPECT_EQ(b.host.boxes.texts(), Texts{other ? kOtherVersion : kQuestions[0]});
        EXPECT_EQ(std::tie(b.host.boxes.boxes[0].buttons, b.host.boxes.boxes[0].icon),
                  std::make_tuple(platform::MessageButtons::YesNoCancel,
                                  other ? platform::MessageIcon::Exclamation
                                        : platform::MessageIcon::Question));
        EXPECT_EQ(b.rig.instrument.flashErases(), 0);
        EXPECT_TRUE(endedCleanly(b.rig));
    }
}

// A write that does not verify offers Retry; Cancel there, or a loader that stays in update
// mode, fails the update with the boxes that say so.
TEST(FirmwareUpdate, WritingAndModeErrors) {
    const std::string writing = "Caution: writing error", comm = "Communication error";
    const std::tuple<bool, MessageResult, Outcome, Texts> cases[] = {
        // stuck in update mode
        {false, MessageResult::Retry, Outcome::Done, {writing, "Update sucessfully"}},
        {false, MessageResult::Cancel, Outcome::Failed, {writing, comm, kFail}},
        {true, MessageResult::Retry, Outcome::Failed, {"Update mode error", comm, kFail}},
    };
    for (const auto& [stuck, answer, outcome, boxes] : cases) {
        SCOPED_TRACE(boxes[0]);
        Bench b;
        b.rig.instrument.setBadFlashPrograms(stuck ? 0 : 1);
        b.rig.instrument.setLoaderStuck(stuck);
        EXPECT_EQ(b.run({MessageResult::Yes, MessageResult::Yes, answer}), outcome);
        EXPECT_EQ(b.host.boxes.texts(), plus(kQuestions, boxes));
        if (stuck) {
            EXPECT_EQ(b.rig.instrument.flashPrograms(), 0);  // block 1 needs update mode off
        } else {
            EXPECT_EQ(std::tie(b.host.boxes.boxes[2].buttons, b.host.boxes.boxes[2].icon),
                      std::make_tuple(platform::MessageButtons::RetryCancel,
                                      platform::MessageIcon::Critical));
        }
        if (outcome == Outcome::Done) b.expectUpdated();
        if (outcome == Outcome::Failed) {
            EXPECT_TRUE(endedCleanly(b.rig) || b.rig.instrument.loaderActive());
        }
    }
}

// An instrument of another version (p9e9, whose old loader takes the chosen file first as
// block 0), or one whose NVRAM format number differs so that the configuration read takes it
// as not usable though its firmware runs, is taken into its loader and out again.
TEST(FirmwareUpdate, OtherVersionsAndFormatsAreUpdatedThroughTheirLoader) {
    for (const char* profile : {"p9e9", "wrongformat"}) {
        SCOPED_TRACE(profile);
        Bench b(profile);
        EXPECT_EQ(b.run({MessageResult::Yes, MessageResult::Yes, MessageResult::Yes}),
                  Outcome::Done);
        const std::string version = profile[0] == 'p' ? "1.90" : "2.48";
        EXPECT_EQ(b.host.boxes.texts(), plus({"Version's instrument is not compatible\nVersion: " +
                                              version + "\nDo you wont to update?"},
                                             plus(kQuestions, {"Update sucessfully"})));
        b.expectUpdated();
        if (profile[0] == 'w') {
            EXPECT_EQ(b.rig.instrument.nvram()[11], 10);  // its format number as it was
            EXPECT_GE(b.rig.instrument.restarts(), 2);
            continue;
        }
        // The chosen file before the loader blocks at 0 and 256.
        ASSERT_FALSE(b.erases().empty());
        EXPECT_EQ(b.erases().front(), 4096);
        EXPECT_EQ(b.erases().back(), 448);
    }
}

// Cancel pressed at some event, or the instrument falling silent after some request frame (the
// whole update from an erased flash is about 3330 frames): the update fails with the box that
// asks for it to be repeated, and the next run completes it. A cancel is no failure of the
// link: no error box, only what is left to do.
TEST(FirmwareUpdate, AnUpdateBrokenOffAnywhereIsCompletedByTheNextRun) {
    const std::pair<int, int> cases[] = {{1, 0},     {5, 0},     {20, 0},   {60, 0},
                                         {150, 0},   {400, 0},   {-1, 100}, {-1, 400},
                                         {-1, 1500}, {-1, 2500}, {-1, 3200}};
    for (const auto& [events, silentAfter] : cases) {
        SCOPED_TRACE(std::to_string(events) + " " + std::to_string(silentAfter));
        Bench b;
        b.host.cancelAfterEvents = events;
        int frames = 0;
        b.rig.instrument.frameObserver = [&](bool request, const platform::Bytes&, std::uint8_t) {
            if (request && ++frames == silentAfter) b.rig.instrument.setSilent(true);
        };
        EXPECT_EQ(b.run({MessageResult::Yes, MessageResult::Yes, MessageResult::Cancel}),
                  silentAfter ? Outcome::Failed : Outcome::Cancelled);
        const auto told = b.host.boxes.texts();
        EXPECT_EQ(told.back(), kFail);
        for (const char* never : {"Communication error", "Caution: writing error"})
            EXPECT_EQ(silentAfter ? 0 : std::count(told.begin(), told.end(), never), 0) << never;
        b.expectASecondRunCompletes();
    }
}
