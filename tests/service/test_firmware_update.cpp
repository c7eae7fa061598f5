// The firmware update against the simulated instrument and its loader: the block table, compare
// before write, page erases, the scrambled bytes, verify and Retry, update mode, the whole files
// checked before the first erase, and an interrupted update that can be repeated.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "service/command_log.h"
#include "service/core/menu_commands.h"
#include "service/device/firmware_update.h"
#include "support/test_host.h"

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
        : folder(std::filesystem::temp_directory_path() / ("krn_fw_" + std::to_string(::getpid()))),
          rig(profile),
          host(rig, folder.string()) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        writeFile(folder / "blockKRNV1.asm", text(kLoader1));
        writeFile(folder / "blockKRNV0.asm", text(kLoader0));
        chosen = (folder / "update.atm").string();
        writeFile(chosen, text(kFirmware));
        host.selections = {"COM: 1"};
        host.boxes.files = {chosen};
    }
    ~Bench() { std::filesystem::remove_all(folder); }
    Outcome run() {
        rig.instrument.clearLog();
        return service::runCommand(host, service::menuCommands().at("mnuUpdate"));
    }
    // The flash as the loader leaves it after writing these records.
    void preload(const std::vector<Record>& rs) {
        for (const Record& r : rs) {
            rig.instrument.flash()[static_cast<std::size_t>(r.address)] =
                static_cast<std::uint8_t>(r.first ^ sim::kFlashWriteKey);
            rig.instrument.flash()[static_cast<std::size_t>(r.address) + 1] =
                static_cast<std::uint8_t>(r.second ^ sim::kFlashWriteKey);
        }
    }
    bool holds(const std::vector<Record>& rs) {
        for (const Record& r : rs)
            if ((rig.instrument.flash()[static_cast<std::size_t>(r.address)] ^
                 sim::kFlashWriteKey) != r.first ||
                (rig.instrument.flash()[static_cast<std::size_t>(r.address) + 1] ^
                 sim::kFlashWriteKey) != r.second)
                return false;
        return true;
    }
    std::vector<int> requests(int code) const {
        std::vector<int> out;
        for (const auto& r : rig.instrument.requests())
            if (r.size() >= 6 && r[1] == code) out.push_back(r[2] | r[3] << 8 | r[4] << 16);
        return out;
    }
    std::filesystem::path folder;
    InstrumentRig rig;
    TestHost host;
    std::string chosen;
};

const std::vector<std::string> kQuestions = {"Update firmware?", "Are you sure to continue?"};

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b) {
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
        const auto blocks =
            service::firmwareBlocks(static_cast<std::int16_t>(c.protocol),
                                    static_cast<std::int16_t>(c.extension), "F.atm", "/p");
        std::vector<int> numbers;
        std::vector<bool> modes;
        for (const auto& b : blocks) {
            numbers.push_back(b.number);
            modes.push_back(b.updateMode);
        }
        EXPECT_EQ(numbers, c.numbers) << c.protocol << "/" << c.extension;
        EXPECT_EQ(modes, c.modes) << c.protocol << "/" << c.extension;
        const bool first = c.numbers[0] == 0;
        EXPECT_EQ(blocks[first ? 0 : 2].path, "F.atm");
        EXPECT_EQ(blocks[first ? 1 : 0].path, "/p/blockKRNV1.asm");
        EXPECT_EQ(blocks[first ? 2 : 1].path, "/p/blockKRNV0.asm");
    }
}

TEST(FirmwareUpdate, AnEmptyFlashGetsEveryBlockAndTheInstrumentLeavesTheLoader) {
    Bench b;
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(b.run(), Outcome::Done);
    EXPECT_EQ(b.host.boxes.texts(), plus(kQuestions, {"Update sucessfully"}));
    EXPECT_EQ(b.host.boxes.boxes.back().icon, platform::MessageIcon::Information);
    EXPECT_EQ(b.host.boxes.boxes[0].defaultButton, 1);  // No preselected
    EXPECT_TRUE(b.holds(kLoader1) && b.holds(kLoader0) && b.holds(kFirmware));
    EXPECT_FALSE(b.rig.instrument.loaderActive());
    // One erase per 64-byte page, at the page's first record; blocks in table order.
    std::vector<int> pages;
    for (int a = 0; a < 512; a += 64) pages.push_back(a);
    for (int a = 4096; a < 4096 + 512; a += 64) pages.push_back(a);
    EXPECT_EQ(b.requests(25), pages);
    EXPECT_TRUE(endedCleanly(b.rig));
}

TEST(FirmwareUpdate, AnIdenticalFlashIsNotWrittenAndTheUpdateSucceeds) {
    Bench b;
    b.preload(kLoader1);
    b.preload(kLoader0);
    b.preload(kFirmware);
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(b.run(), Outcome::Done);
    EXPECT_EQ(b.host.boxes.texts(), plus(kQuestions, {"Update sucessfully"}));
    EXPECT_EQ(b.rig.instrument.flashErases(), 0);
    EXPECT_EQ(b.rig.instrument.flashPrograms(), 0);
    EXPECT_FALSE(b.rig.instrument.loaderActive());
}

TEST(FirmwareUpdate, ARecordAt128ErasesItsPageAndOneAt130DoesNot) {
    Bench b;
    b.preload(kLoader1);
    b.preload(kLoader0);
    writeFile(b.chosen, "128:1:2\r\n130:3:4\r\n");
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(b.run(), Outcome::Done);
    EXPECT_EQ(b.requests(25), std::vector<int>{128});
    // The bytes go to the loader scrambled with the key, in one 8-byte block at 128.
    const auto programs = [&] {
        std::vector<platform::Bytes> out;
        for (const auto& r : b.rig.instrument.requests())
            if (r.size() > 1 && r[1] == 26)
                out.push_back(platform::Bytes(r.begin() + 2, r.end() - 1));
        return out;
    }();
    ASSERT_EQ(programs.size(), 1u);
    EXPECT_EQ(programs[0], (platform::Bytes{128, 0, 0, 1 ^ 0xA5, 2 ^ 0xA5, 3 ^ 0xA5, 4 ^ 0xA5, 0xFF,
                                            0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(b.holds({{128, 1, 2}, {130, 3, 4}}));
}

TEST(FirmwareUpdate, AMalformedFileIsRefusedWithItsLineBeforeAnyFrame) {
    struct Case {
        const char* file;  // which file is spoiled
        std::string content;
        std::string reason;
    };
    const Case cases[] = {
        {"update.atm", "4096:1:2\r\n4098:1\r\n", "line 2: not \"address:value:value\""},
        {"update.atm", "4096:1:2\r\n4098:1:256\r\n",
         "line 2: a value is not a decimal number from 0 to 255"},
        {"update.atm", "x:1:2\r\n", "line 1: the address is not a decimal number"},
        {"update.atm", "16777215:1:2\r\n",
         "line 1: the address is outside the 24-bit address range (0 to 16777214)"},
        {"update.atm", "4096:1:2\r\n4097:1:2\r\n",
         "line 2: a byte at this address was given before"},
        {"update.atm", "4096:1:2\r\n\r\n4098:1:2\r\n", "line 2: not \"address:value:value\""},
        {"update.atm", "", "line 1: the file holds no record"},
        {"blockKRNV0.asm", "256:1:2\r\n258:-1:2\r\n",
         "line 2: a value is not a decimal number from 0 to 255"},
    };
    for (const Case& c : cases) {
        Bench b;
        writeFile(b.folder / c.file, c.content);
        EXPECT_EQ(b.run(), Outcome::FileError) << c.content;
        const std::string path = (b.folder / c.file).string();
        EXPECT_EQ(b.host.boxes.texts(),
                  std::vector<std::string>{"The file " + path + " is not valid at " + c.reason +
                                           ".\nNothing was written."});
        EXPECT_TRUE(b.rig.instrument.requests().empty()) << c.content;
    }
}

TEST(FirmwareUpdate, AMissingLoaderFileIsToldBeforeTheInstrumentIsTouched) {
    Bench b;
    std::filesystem::remove(b.folder / "blockKRNV1.asm");
    EXPECT_EQ(b.run(), Outcome::FileError);
    EXPECT_EQ(b.host.boxes.texts(),
              std::vector<std::string>{"The file " + (b.folder / "blockKRNV1.asm").string() +
                                       " cannot be read: it does not exist."});
    EXPECT_TRUE(b.rig.instrument.requests().empty());
}

TEST(FirmwareUpdate, AnotherVersionAsksFirstAndOnlyYesGoesOn) {
    for (MessageResult answer : {MessageResult::No, MessageResult::Cancel}) {
        Bench b("p36e51");
        b.host.boxes.answers = {answer};
        EXPECT_EQ(b.run(), Outcome::Cancelled);
        EXPECT_EQ(
            b.host.boxes.texts(),
            std::vector<std::string>{
                "Version's instrument is not compatible\nVersion: 2.48\nDo you wont to update?"});
        EXPECT_EQ(b.host.boxes.boxes[0].buttons, platform::MessageButtons::YesNoCancel);
        EXPECT_EQ(b.host.boxes.boxes[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_EQ(b.rig.instrument.flashErases(), 0);
        EXPECT_TRUE(endedCleanly(b.rig));
    }
    Bench b("p36e51");
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes, MessageResult::No};
    EXPECT_EQ(b.run(), Outcome::Cancelled);
    EXPECT_EQ(b.host.boxes.texts().size(), 3u);
    EXPECT_EQ(b.rig.instrument.flashErases(), 0);
}

TEST(FirmwareUpdate, AWriteThatDoesNotVerifyIsRetried) {
    Bench b;
    b.rig.instrument.setBadFlashPrograms(1);
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes, MessageResult::Retry};
    EXPECT_EQ(b.run(), Outcome::Done);
    EXPECT_EQ(b.host.boxes.texts(),
              plus(kQuestions, {"Caution: writing error", "Update sucessfully"}));
    EXPECT_EQ(b.host.boxes.boxes[2].buttons, platform::MessageButtons::RetryCancel);
    EXPECT_EQ(b.host.boxes.boxes[2].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(b.holds(kLoader1) && b.holds(kLoader0) && b.holds(kFirmware));
}

TEST(FirmwareUpdate, CancelOnTheWritingErrorFailsTheUpdate) {
    Bench b;
    b.rig.instrument.setBadFlashPrograms(1);
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes, MessageResult::Cancel};
    EXPECT_EQ(b.run(), Outcome::Failed);
    EXPECT_EQ(b.host.boxes.texts(),
              plus(kQuestions, {"Caution: writing error", "Communication error",
                                "Update fail.\nVery important to repeat."}));
    EXPECT_TRUE(endedCleanly(b.rig) || b.rig.instrument.loaderActive());
}

TEST(FirmwareUpdate, ALoaderThatStaysInUpdateModeFailsWithTheModeBox) {
    Bench b;
    b.rig.instrument.setLoaderStuck(true);
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(b.run(), Outcome::Failed);
    EXPECT_EQ(b.host.boxes.texts(), plus(kQuestions, {"Update mode error", "Communication error",
                                                      "Update fail.\nVery important to repeat."}));
    EXPECT_EQ(b.rig.instrument.flashPrograms(), 0);  // block 1 is written with update mode off only
}

// Its NVRAM format number differs, so the configuration read takes it as not usable (update
// mode), though its firmware runs: the update still takes it into its loader and out again.
TEST(FirmwareUpdate, AnInstrumentWhoseNvramFormatDiffersIsUpdatedThroughItsLoader) {
    Bench b("wrongformat");
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(b.run(), Outcome::Done);
    const auto texts = b.host.boxes.texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0],
              "Version's instrument is not compatible\nVersion: 2.48\nDo you wont to update?");
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()),
              plus(kQuestions, {"Update sucessfully"}));
    EXPECT_TRUE(b.holds(kLoader1) && b.holds(kLoader0) && b.holds(kFirmware));
    EXPECT_FALSE(b.rig.instrument.loaderActive());
    EXPECT_EQ(b.rig.instrument.nvram()[11], 10);  // its format number as it was
    EXPECT_GE(b.rig.instrument.restarts(), 2);
}

TEST(FirmwareUpdate, AnUpdateCancelledAnywhereIsACancelAndCanBeRepeated) {
    for (int events : {1, 5, 20, 60, 150, 400}) {
        Bench b;
        b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes, MessageResult::Cancel};
        b.host.cancelAfterEvents = events;
        // A cancel is no failure of the link: no error box, only what is left to do.
        EXPECT_EQ(b.run(), Outcome::Cancelled) << events;
        const auto told = b.host.boxes.texts();
        EXPECT_EQ(told.back(), "Update fail.\nVery important to repeat.") << events;
        for (const char* never : {"Communication error", "Caution: writing error"})
            EXPECT_EQ(std::count(told.begin(), told.end(), never), 0) << events << never;
        b.host.cancelAfterEvents = -1;
        b.host.boxes.boxes.clear();
        b.host.selections = {"COM: 1"};
        b.host.boxes.files = {b.chosen};
        b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
        EXPECT_EQ(b.run(), Outcome::Done) << events;
        EXPECT_EQ(b.host.boxes.texts().back(), "Update sucessfully") << events;
        EXPECT_TRUE(b.holds(kLoader1) && b.holds(kLoader0) && b.holds(kFirmware)) << events;
        EXPECT_FALSE(b.rig.instrument.loaderActive()) << events;
    }
}

TEST(FirmwareUpdate, ProtocolNineExtensionNineWritesTheChosenFileAsBlockZeroFirst) {
    Bench b("p9e9");
    b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes,
                            MessageResult::Yes};  // version, two questions
    EXPECT_EQ(b.run(), Outcome::Done);
    EXPECT_EQ(
        b.host.boxes.texts(),
        plus({"Version's instrument is not compatible\nVersion: 1.90\nDo you wont to update?"},
             plus(kQuestions, {"Update sucessfully"})));
    const auto erases = b.requests(25);
    ASSERT_FALSE(erases.empty());
    EXPECT_EQ(erases.front(), 4096);  // the chosen file before the loader blocks at 0 and 256
    EXPECT_EQ(erases.back(), 448);
    EXPECT_TRUE(b.holds(kLoader1) && b.holds(kLoader0) && b.holds(kFirmware));
    EXPECT_FALSE(b.rig.instrument.loaderActive());
}

TEST(FirmwareUpdate, AnInstrumentThatFallsSilentHalfWayIsUpdatedByTheNextRun) {
    // The whole update from an erased flash is about 3330 frames.
    for (int silentAfter : {100, 400, 1500, 2500, 3200}) {
        Bench b;
        int frames = 0;
        b.rig.instrument.frameObserver = [&](bool request, const platform::Bytes&, std::uint8_t) {
            if (request && ++frames == silentAfter) b.rig.instrument.setSilent(true);
        };
        b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
        EXPECT_EQ(b.run(), Outcome::Failed) << silentAfter;
        EXPECT_EQ(b.host.boxes.texts().back(), "Update fail.\nVery important to repeat.")
            << silentAfter;
        b.rig.instrument.frameObserver = nullptr;
        b.rig.instrument.setSilent(false);
        b.host.boxes.boxes.clear();
        b.host.selections = {"COM: 1"};
        b.host.boxes.files = {b.chosen};
        b.host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
        EXPECT_EQ(b.run(), Outcome::Done) << silentAfter;
        EXPECT_TRUE(b.holds(kLoader1) && b.holds(kLoader0) && b.holds(kFirmware)) << silentAfter;
        EXPECT_FALSE(b.rig.instrument.loaderActive()) << silentAfter;
    }
}
