// The screen copy against the simulated instrument: the frames of command 22, the attempt rule,
// the planes and their drawing rules, menu mode, cancel, and the bitmap file byte for byte. (The
// box of a missing link: app/test_screen_dialog.cpp.)
#include <gtest/gtest.h>

#include "service/command_log.h"
#include "service/diagnostics/screen_copy.h"
#include "sim/sim_display.h"
#include "support/image_folder.h"

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
    EXPECT_EQ((std::vector<int>{reads[0], reads[1], reads[240], reads[480]}),
              (std::vector<int>{0, 40, 9728, 19456}));
    EXPECT_EQ(std::make_pair(s.picture().width(), s.picture().height()), std::make_pair(332, 252));
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
    for (int y : {0, 3, 244, 247})
        EXPECT_EQ(
            (std::vector{s.picture().at(0, y), s.picture().at(327, y), s.picture().at(328, y)}),
            (std::vector{resources::kLightGrey, resources::kLightGrey, resources::kWhite}));
    EXPECT_EQ(s.picture().at(0, 248), resources::kWhite);
    // No lock: only the reads and the closing command.
    const auto names = requestNames(b.rig);
    EXPECT_EQ(std::make_tuple(names.back(), std::count(names.begin(), names.end(), "18/4"),
                              std::count(names.begin(), names.end(), "20/1")),
              std::make_tuple("18/9", 0l, 0l));
    EXPECT_FALSE(b.rig.control.Collegato());
}

// A one-byte answer is a failed read and the same address is asked again: eighty reads without
// a success, or the seventy-ninth failure after one, end the plane silently.
TEST(ScreenCopy, FailedReadsAreAskedAgainUntilTheAttemptRuleEndsThePlane) {
    for (const auto& [successes, failures, end] : {std::tuple{0, 80, ScreenCopyEnd::Incomplete},
                                                   {1, 78, ScreenCopyEnd::Complete},
                                                   {1, 79, ScreenCopyEnd::Incomplete}}) {
        Bench b;
        if (successes)  // menu mode: the first read succeeds, the next `failures` answer one byte
            b.rig.instrument.setDisplayReadFailures(1, failures);
        else  // screen mode: every answer is one byte, never past plane A's start
            b.rig.instrument.setDisplayChunk(1);
        ScreenCopy s(successes > 0);
        EXPECT_EQ(b.copy(s), end) << failures;
        const auto reads = b.reads();
        ASSERT_GE(reads.size(), static_cast<std::size_t>(successes + failures));
        EXPECT_EQ(std::vector<int>(reads.begin() + successes, reads.begin() + successes + failures),
                  std::vector<int>(static_cast<std::size_t>(failures), successes ? 26776 + 40 : 0));
        EXPECT_EQ(end == ScreenCopyEnd::Complete || reads.size() == 80u, true);
        EXPECT_TRUE(b.host.boxes.boxes.empty());
        EXPECT_EQ(requestNames(b.rig).back(), "18/9");
        EXPECT_EQ(successes || s.reads() == 0, true);
    }
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

TEST(ScreenCopy, MenuEntriesSelectThenOpenTheDialogInTheirMode) {
    Bench b;
    b.host.selections = {"COM: 1", std::nullopt, "USB: X"};
    using O = service::Outcome;
    for (const auto& [entry, outcome] : {std::pair{"mnuScreenCopy", O::Done},
                                         {"mnuCopiaMenu", O::Cancelled},
                                         {"mnuCopiaMenu", O::Done}})
        EXPECT_EQ(service::runCommand(b.host, service::menuCommands().at(entry)), outcome);
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
    const ImageFolder dir("screen_save");
    b.host.boxes.files = {dir.file("copy"), std::nullopt, dir.file("missing/x.bmp")};
    EXPECT_TRUE(s.save(b.host));
    EXPECT_FALSE(s.save(b.host));  // cancelled
    EXPECT_FALSE(s.save(b.host));  // cannot be written: no message either
    EXPECT_TRUE(b.host.boxes.boxes.empty());
    const auto bitmap = resources::bitmapFile(s.picture());
    EXPECT_EQ(readFile(dir.file("copy.Bmp")), std::string(bitmap.begin(), bitmap.end()));
    EXPECT_EQ(bitmap.size(), 54u + 332 * 61 * 3);
}
