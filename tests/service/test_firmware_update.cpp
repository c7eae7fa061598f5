// The firmware update against the simulated instrument and its loader: the block table, compare
// before write, page erases, the scrambled bytes, verify and Retry, update mode, the whole files
// checked before the first erase, and an interrupted update that can be repeated.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "service/command_log.h"
#include "service/device/firmware_update.h"
#include "support/image_folder.h"

using namespace testing_support;
using platform::MessageResult;
using service::Outcome;

namespace {

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

void writeFile(const std::filesystem::path& p, const std::string& content) {
    std::ofstream(p, std::ios::binary) << content;
}

const std::vector<Record> kLoader1 = records(0, 256, 1);
const std::vector<Record> kLoader0 = records(256, 256, 2);
const std::vector<Record> kFirmware = records(4096, 512, 3);

struct Bench {
    explicit Bench(const std::string& profile = "p17e23")
        : dir("fw"), folder(dir.path()), rig(profile), host(rig, dir.path()) {
        writeFile(folder / "blockKRNV1.asm", text(kLoader1));
        writeFile(folder / "blockKRNV0.asm", text(kLoader0));
        chosen = (folder / "update.atm").string();
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
            flash(r.address) = static_cast<std::uint8_t>(r.first ^ sim::kFlashWriteKey);
            flash(r.address + 1) = static_cast<std::uint8_t>(r.second ^ sim::kFlashWriteKey);
        }
    }
    bool holds(const std::vector<Record>& rs) {
        for (const Record& r : rs)
            if ((flash(r.address) ^ sim::kFlashWriteKey) != r.first ||
                (flash(r.address + 1) ^ sim::kFlashWriteKey) != r.second)
                return false;
        return true;
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
    std::vector<int> erases() const {
        std::vector<int> out;
        for (const auto& r : rig.instrument.requests())
            if (r.size() >= 6 && r[1] == 25) out.push_back(r[2] | r[3] << 8 | r[4] << 16);
        return out;
    }
    ImageFolder dir;
    std::filesystem::path folder;
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

TEST(FirmwareBlocks, TheChosenFileGoesFirstOnTheOldLoadersOnly) {
    struct Case {
        int protocol, extension;
        std::vector<int> numbers;
        std::vector<bool> modes;
    };
    const Case cases[] = {
        {9, 9, {0, 1, 2}, {true, false, true}},     {11, 40, {0, 1, 2}, {true, false, true}},
        {9, 10, {1, 2, 3}, {false, true, true}},    {17, 23, {1, 2, 3}, {false, true, true}},
        {41, 1072, {1, 2, 3}, {false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.protocol) + "/" + std::to_string(c.extension));
        const auto blocks =
            service::firmwareBlocks(static_cast<std::int16_t>(c.protocol),
                                    static_cast<std::int16_t>(c.extension), "F.atm", "/p");
        std::vector<int> numbers;
        std::vector<bool> modes;
        Texts paths;
        for (const auto& b : blocks) {
            numbers.push_back(b.number);
            modes.push_back(b.updateMode);
            paths.push_back(b.path);
        }
        EXPECT_EQ(numbers, c.numbers);
        EXPECT_EQ(modes, c.modes);
        EXPECT_EQ(paths, c.numbers[0] == 0
                             ? (Texts{"F.atm", "/p/blockKRNV1.asm", "/p/blockKRNV0.asm"})
                             : (Texts{"/p/blockKRNV1.asm", "/p/blockKRNV0.asm", "F.atm"}));
    }
}

TEST(FirmwareUpdate, AnEmptyFlashGetsEveryBlockAndAnIdenticalOneIsNotWritten) {
    Bench b;
    EXPECT_EQ(b.run(), Outcome::Done);
    EXPECT_EQ(b.host.boxes.texts(), plus(kQuestions, {"Update sucessfully"}));
    EXPECT_EQ(b.host.boxes.boxes.back().icon, platform::MessageIcon::Information);
    EXPECT_EQ(b.host.boxes.boxes[0].defaultButton, 1);  // No preselected, the instrument named
    EXPECT_EQ(b.host.boxes.boxes[0].informative, "Instrument: KRN-17, COM: 1 (RS-232)");
    b.expectUpdated();
    // One erase per 64-byte page, at the page's first record; blocks in table order.
    std::vector<int> pages;
    for (int a = 0; a < 512; a += 64) pages.push_back(a);
    for (int a = 4096; a < 4096 + 512; a += 64) pages.push_back(a);
    EXPECT_EQ(b.erases(), pages);
    EXPECT_TRUE(endedCleanly(b.rig));

    Bench same;
    for (const auto* block : {&kLoader1, &kLoader0, &kFirmware}) same.preload(*block);
    EXPECT_EQ(same.run(), Outcome::Done);
    EXPECT_EQ(same.host.boxes.texts(), plus(kQuestions, {"Update sucessfully"}));
    EXPECT_EQ(same.rig.instrument.flashErases(), 0);
    EXPECT_EQ(same.rig.instrument.flashPrograms(), 0);
    EXPECT_FALSE(same.rig.instrument.loaderActive());
}

TEST(FirmwareUpdate, ARecordAt128ErasesItsPageAndOneAt130DoesNot) {
    Bench b;
    b.preload(kLoader1);
    b.preload(kLoader0);
    writeFile(b.chosen, "128:1:2\r\n130:3:4\r\n");
    EXPECT_EQ(b.run(), Outcome::Done);
    EXPECT_EQ(b.erases(), std::vector<int>{128});
    // The bytes go to the loader scrambled with the key, in one 8-byte block at 128.
    std::vector<platform::Bytes> programs;
    for (const auto& r : b.rig.instrument.requests())
        if (r.size() > 1 && r[1] == 26) programs.emplace_back(r.begin() + 2, r.end() - 1);
    EXPECT_EQ(programs, (std::vector<platform::Bytes>{{128, 0, 0, 1 ^ 0xA5, 2 ^ 0xA5, 3 ^ 0xA5,
                                                       4 ^ 0xA5, 0xFF, 0xFF, 0xFF, 0xFF}}));
    EXPECT_TRUE(b.holds({{128, 1, 2}, {130, 3, 4}}));
}

TEST(FirmwareUpdate, AMalformedFileIsRefusedWithItsLineBeforeAnyFrame) {
    const std::string notRecord = "line 2: not \"address:value:value\"";
    const std::string notByte = "line 2: a value is not a decimal number from 0 to 255";
    const std::pair<const char*, std::string> cases[] = {
        {"4096:1:2\r\n4098:1\r\n", notRecord},
        {"4096:1:2\r\n4098:1:256\r\n", notByte},
        {"x:1:2\r\n", "line 1: the address is not a decimal number"},
        {"16777215:1:2\r\n",
         "line 1: the address is outside the 24-bit address range (0 to 16777214)"},
        {"4096:1:2\r\n4097:1:2\r\n", "line 2: a byte at this address was given before"},
        {"4096:1:2\r\n\r\n4098:1:2\r\n", notRecord},
        {"", "line 1: the file holds no record"},
        {"256:1:2\r\n258:-1:2\r\n", notByte},  // the loader's block 0
    };
    for (const auto& [content, reason] : cases) {
        SCOPED_TRACE(content);
        Bench b;
        const std::string path =
            content[0] == '2' ? (b.folder / "blockKRNV0.asm").string() : b.chosen;
        writeFile(path, content);
        EXPECT_EQ(b.run(), Outcome::FileError);
        EXPECT_EQ(b.host.boxes.texts(), Texts{"The file " + path + " is not valid at " + reason +
                                              ".\nNothing was written."});
        EXPECT_TRUE(b.rig.instrument.requests().empty());
    }
    Bench b;  // a missing loader file is told before the instrument is touched
    std::filesystem::remove(b.folder / "blockKRNV1.asm");
    EXPECT_EQ(b.run(), Outcome::FileError);
    EXPECT_EQ(b.host.boxes.texts(), Texts{"The file " + (b.folder / "blockKRNV1.asm").string() +
                                          " cannot be read: it does not exist."});
    EXPECT_TRUE(b.rig.instrument.requests().empty());
}

TEST(FirmwareUpdate, AnotherVersionAsksFirstAndOnlyYesGoesOn) {
    for (MessageResult answer : {MessageResult::No, MessageResult::Cancel}) {
        Bench b("p36e51");
        EXPECT_EQ(b.run({answer}), Outcome::Cancelled);
        EXPECT_EQ(b.host.boxes.texts(), Texts{kOtherVersion});
        EXPECT_EQ(b.host.boxes.boxes[0].buttons, platform::MessageButtons::YesNoCancel);
        EXPECT_EQ(b.host.boxes.boxes[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_EQ(b.rig.instrument.flashErases(), 0);
        EXPECT_TRUE(endedCleanly(b.rig));
    }
    Bench b("p36e51");
    EXPECT_EQ(b.run({MessageResult::Yes, MessageResult::Yes, MessageResult::No}),
              Outcome::Cancelled);
    EXPECT_EQ(b.host.boxes.texts(), (Texts{kOtherVersion, kQuestions[0], kQuestions[1]}));
    EXPECT_EQ(b.rig.instrument.flashErases(), 0);
}

// A write that does not verify offers Retry; Cancel there, or a loader that stays in update
// mode, fails the update with the boxes that say so.
TEST(FirmwareUpdate, WritingAndModeErrors) {
    const auto retry = MessageResult::Retry, cancel = MessageResult::Cancel;
    const std::string writing = "Caution: writing error", comm = "Communication error";
    struct Case {
        bool stuck;
        MessageResult answer;
        Outcome outcome;
        Texts boxes;
    };
    const Case cases[] = {
        {false, retry, Outcome::Done, {writing, "Update sucessfully"}},
        {false, cancel, Outcome::Failed, {writing, comm, kFail}},
        {true, retry, Outcome::Failed, {"Update mode error", comm, kFail}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boxes[0]);
        Bench b;
        b.rig.instrument.setBadFlashPrograms(c.stuck ? 0 : 1);
        b.rig.instrument.setLoaderStuck(c.stuck);
        EXPECT_EQ(b.run({MessageResult::Yes, MessageResult::Yes, c.answer}), c.outcome);
        EXPECT_EQ(b.host.boxes.texts(), plus(kQuestions, c.boxes));
        if (c.stuck) {
            EXPECT_EQ(b.rig.instrument.flashPrograms(), 0);  // block 1 needs update mode off
        } else {
            EXPECT_EQ(b.host.boxes.boxes[2].buttons, platform::MessageButtons::RetryCancel);
            EXPECT_EQ(b.host.boxes.boxes[2].icon, platform::MessageIcon::Critical);
        }
        if (c.outcome == Outcome::Done) b.expectUpdated();
        if (c.outcome == Outcome::Failed) {
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

TEST(FirmwareUpdate, AnUpdateCancelledAnywhereIsACancelAndCanBeRepeated) {
    for (int events : {1, 5, 20, 60, 150, 400}) {
        SCOPED_TRACE(events);
        Bench b;
        b.host.cancelAfterEvents = events;
        // A cancel is no failure of the link: no error box, only what is left to do.
        EXPECT_EQ(b.run({MessageResult::Yes, MessageResult::Yes, MessageResult::Cancel}),
                  Outcome::Cancelled);
        const auto told = b.host.boxes.texts();
        EXPECT_EQ(told.back(), kFail);
        for (const char* never : {"Communication error", "Caution: writing error"})
            EXPECT_EQ(std::count(told.begin(), told.end(), never), 0) << never;
        b.expectASecondRunCompletes();
    }
}

TEST(FirmwareUpdate, AnInstrumentThatFallsSilentHalfWayIsUpdatedByTheNextRun) {
    // The whole update from an erased flash is about 3330 frames.
    for (int silentAfter : {100, 400, 1500, 2500, 3200}) {
        SCOPED_TRACE(silentAfter);
        Bench b;
        int frames = 0;
        b.rig.instrument.frameObserver = [&](bool request, const platform::Bytes&, std::uint8_t) {
            if (request && ++frames == silentAfter) b.rig.instrument.setSilent(true);
        };
        EXPECT_EQ(b.run(), Outcome::Failed);
        EXPECT_EQ(b.host.boxes.texts().back(), kFail);
        b.expectASecondRunCompletes();
    }
}
