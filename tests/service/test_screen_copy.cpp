// The screen copy against the simulated instrument: the frames of command 22, the attempt rule,
// the planes and their drawing rules, menu mode, cancel, the box of a missing link, and the
// bitmap file byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "service/command_log.h"
#include "service/diagnostics/screen_copy.h"
#include "sim/sim_display.h"

using namespace testing_support;
using service::ScreenCopy;
using service::ScreenCopyEnd;

namespace {

struct Bench : CommandBench {
    ScreenCopyEnd copy(ScreenCopy& s, const std::string& description = "COM: 1") {
        rig.instrument.clearLog();
        return s.start(host, description, {rig.control, &rig.serial, &rig.socket});
    }
    // The addresses of the display reads, in order.
    std::vector<int> reads() const {
        std::vector<int> out;
        for (const auto& r : rig.instrument.requests())
            if (r.size() == 5 && r[1] == 22) out.push_back(r[2] | r[3] << 8);
        return out;
    }
};

bool bit(const std::vector<std::uint8_t>& memory, std::size_t plane, int x, int y) {
    return (memory[plane + static_cast<std::size_t>(y) * 40 + static_cast<std::size_t>(x / 8)] >>
            (7 - x % 8)) &
           1;
}

}  // namespace

TEST(ScreenCopy, ScreenModeReadsThreePlanesAndDrawsBlackWhereAandBorC) {
    Bench b;
    b.rig.instrument.setDisplayFont({});  // filled cells: the name is plain to see
    ScreenCopy s(false);
    ASSERT_EQ(b.copy(s), ScreenCopyEnd::Complete);
    const auto reads = b.reads();
    ASSERT_EQ(reads.size(), 3u * 9600 / 40);
    EXPECT_EQ(reads[0], 0);
    EXPECT_EQ(reads[1], 40);
    EXPECT_EQ(reads[240], 9728);
    EXPECT_EQ(reads[480], 19456);
    EXPECT_EQ(s.picture().width(), 332);
    EXPECT_EQ(s.picture().height(), 252);
    const auto memory = sim::renderDisplay(b.rig.instrument);
    int black = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const bool shown =
                (bit(memory, 0, x, y) && bit(memory, 9728, x, y)) || bit(memory, 19456, x, y);
            ASSERT_EQ(s.picture().at(x + 4, y + 4), shown ? resources::kBlack : resources::kWhite)
                << x << "," << y;
            black += shown;
        }
    EXPECT_GT(black, 6 * 8 * 8);  // the name "KRN-36" at least
    // The grey frame rows above and below, from x 0 to 327; the rest keeps the background.
    for (int y : {0, 3, 244, 247}) {
        EXPECT_EQ(s.picture().at(0, y), resources::kLightGrey);
        EXPECT_EQ(s.picture().at(327, y), resources::kLightGrey);
        EXPECT_EQ(s.picture().at(328, y), resources::kWhite);
    }
    EXPECT_EQ(s.picture().at(0, 248), resources::kWhite);
    // No lock: only the reads and the closing command.
    auto names = requestNames(b.rig);
    EXPECT_EQ(names.back(), "18/9");
    EXPECT_EQ(std::count(names.begin(), names.end(), "18/4"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "20/1"), 0);
    EXPECT_FALSE(b.rig.control.Collegato());
}

TEST(ScreenCopy, FortyNineByteAnswersFillPlaneAInOneHundredNinetySixReads) {
    Bench b;
    b.rig.instrument.setDisplayChunk(49);
    ScreenCopy s(false);
    ASSERT_EQ(b.copy(s), ScreenCopyEnd::Complete);
    // With 49-byte answers plane A takes 196 reads (9604 bytes, the last 4 not drawn).
    const auto reads = b.reads();
    ASSERT_EQ(reads.size(), 3u * 196);
    EXPECT_EQ(reads[195], 195 * 49);
    EXPECT_EQ(reads[196], 9728);
    EXPECT_EQ(reads[392], 19456);
    EXPECT_EQ(s.reads(), 588);
}

TEST(ScreenCopy, OneByteAnswersCountAsFailedAndEightyEndThePlaneSilently) {
    Bench b;
    b.rig.instrument.setDisplayChunk(1);
    ScreenCopy s(false);
    EXPECT_EQ(b.copy(s), ScreenCopyEnd::Incomplete);
    EXPECT_EQ(b.reads(), std::vector<int>(80, 0));  // never past plane A's start
    EXPECT_TRUE(b.host.boxes.boxes.empty());
    EXPECT_EQ(requestNames(b.rig).back(), "18/9");
    EXPECT_EQ(s.reads(), 0);
}

TEST(ScreenCopy, AfterASuccessfulReadTheSeventyNinthFailureEndsThePlane) {
    struct Case {
        int failures;
        ScreenCopyEnd end;
    };
    for (const Case& c : {Case{78, ScreenCopyEnd::Complete}, Case{79, ScreenCopyEnd::Incomplete}}) {
        Bench b;
        // The first read succeeds, the next `failures` answer one byte.
        b.rig.instrument.setDisplayReadFailures(1, c.failures);
        ScreenCopy s(true);
        EXPECT_EQ(b.copy(s), c.end) << c.failures;
        const auto reads = b.reads();
        ASSERT_GT(reads.size(), static_cast<std::size_t>(c.failures));
        // Every failed read asks the same address again.
        for (int i = 1; i <= c.failures; ++i)
            EXPECT_EQ(reads[static_cast<std::size_t>(i)], 26776 + 40);
        if (c.end == ScreenCopyEnd::Incomplete) {
            EXPECT_EQ(reads.size(), 80u);  // the good read and 79 failed ones
        }
    }
}

TEST(ScreenCopy, MenuModeReadsOnlyTheBottomRowsOfPlaneC) {
    Bench b;
    ScreenCopy s(true);
    ASSERT_EQ(b.copy(s), ScreenCopyEnd::Complete);
    const auto reads = b.reads();
    ASSERT_EQ(reads.size(), 57u);
    EXPECT_EQ(reads.front(), 26776);
    EXPECT_EQ(reads.back(), 26776 + 56 * 40);
    EXPECT_EQ(s.picture().height(), 61);
    const auto memory = sim::renderDisplay(b.rig.instrument);
    for (int y = 0; y < 57; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(s.picture().at(x + 4, y),
                      bit(memory, 19456, x, y + 183) ? resources::kBlack : resources::kWhite);
    // Menu mode has no frame: the rows below stay white.
    for (int x : {0, 100, 331}) EXPECT_EQ(s.picture().at(x, 60), resources::kWhite);
}

TEST(ScreenCopy, ACancelStopsAfterTheCurrentReadAndKeepsWhatWasDrawn) {
    Bench b;
    b.host.cancelAfterEvents = 3;  // raised at the fourth read's events
    ScreenCopy s(false);
    EXPECT_EQ(b.copy(s), ScreenCopyEnd::Cancelled);
    EXPECT_EQ(b.reads().size(), 4u);
    EXPECT_EQ(requestNames(b.rig).back(), "18/9");
    // A new start lowers the flag: the next copy runs to its end.
    b.host.cancelAfterEvents = -1;
    EXPECT_EQ(b.copy(s), ScreenCopyEnd::Complete);
}

TEST(ScreenCopy, ADescriptionWithoutAChannelOpensNothingAndShowsTheBox) {
    for (const char* d : {"XYZ 1", "IP: 127.0.0.1", "", "COM: 9"}) {
        Bench b;
        ScreenCopy s(false);
        EXPECT_EQ(b.copy(s, d), ScreenCopyEnd::NoLink) << d;
        EXPECT_EQ(b.host.boxes.texts(), Texts{"Non è possibile comunicare con lo strumento."}) << d;
        EXPECT_EQ(b.host.boxes.boxes[0].icon, platform::MessageIcon::None);
        EXPECT_TRUE(b.reads().empty()) << d;
    }
}

TEST(ScreenCopy, EveryChannelOfTheDescription) {
    for (const std::string d : {"USB: QX3000001", "IP: 127.0.0.1:1001", "COM: 1"}) {
        Bench b;
        ScreenCopy s(true);
        EXPECT_EQ(b.copy(s, d), ScreenCopyEnd::Complete) << d;
        EXPECT_TRUE(b.host.boxes.boxes.empty()) << d;
    }
}

TEST(ScreenCopy, MenuEntriesSelectThenOpenTheDialogInTheirMode) {
    Bench b;
    b.host.selections = {"COM: 1", std::nullopt, "USB: X"};
    EXPECT_EQ(service::runCommand(b.host, service::menuCommands().at("mnuScreenCopy")),
              service::Outcome::Done);
    EXPECT_EQ(service::runCommand(b.host, service::menuCommands().at("mnuCopiaMenu")),
              service::Outcome::Cancelled);
    EXPECT_EQ(service::runCommand(b.host, service::menuCommands().at("mnuCopiaMenu")),
              service::Outcome::Done);
    using Shown = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(b.host.screenCopies, (Shown{{"COM: 1", false}, {"USB: X", true}}));
    EXPECT_EQ(b.host.selectionTitles, Texts(3, "Select instrument"));
}

TEST(ScreenBitmap, HeaderRowsBottomUpPaddedToFourBytes) {
    resources::ScreenPicture p(3, 2);
    p.set(0, 0, resources::kBlack);
    p.set(2, 1, 0x123456);
    const std::vector<std::uint8_t> expected = {
        'B', 'M', 78,  0,   0,    0,    0,    0,    0,    0,    54, 0, 0, 0,  // file header
        40,  0,   0,   0,   3,    0,    0,    0,    2,    0,    0,  0, 1, 0,
        24,  0,   0,   0,   0,    0,  // size, planes, bits
        24,  0,   0,   0,   0xC4, 0x0E, 0,    0,    0xC4, 0x0E, 0,  0, 0, 0,
        0,   0,   0,   0,   0,    0,                                    // image size, 96 dpi
        255, 255, 255, 255, 255,  255,  0x56, 0x34, 0x12, 0,    0,  0,  // bottom row first
        0,   0,   0,   255, 255,  255,  255,  255,  255,  0,    0,  0,  // top row
    };
    EXPECT_EQ(resources::bitmapFile(p), expected);
}

TEST(ScreenBitmap, SaveAsksForABmpFileAndAddsTheDefaultExtension) {
    Bench b;
    ScreenCopy s(true);
    ASSERT_EQ(b.copy(s), ScreenCopyEnd::Complete);
    const auto dir = std::filesystem::temp_directory_path() / "krn_screen_save";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    b.host.boxes.files = {(dir / "copy").string(), std::nullopt,
                          (dir / "missing" / "x.bmp").string()};
    EXPECT_TRUE(s.save(b.host));
    EXPECT_FALSE(s.save(b.host));  // cancelled
    EXPECT_FALSE(s.save(b.host));  // cannot be written: no message either
    EXPECT_TRUE(b.host.boxes.boxes.empty());
    const auto bitmap = resources::bitmapFile(s.picture());
    EXPECT_EQ(readFile((dir / "copy.Bmp").string()), std::string(bitmap.begin(), bitmap.end()));
    EXPECT_EQ(bitmap.size(), 54u + 332 * 61 * 3);
    std::filesystem::remove_all(dir);
}
