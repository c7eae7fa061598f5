// The serial-number list: its rich-text file byte for byte, the number it proposes, the checks of
// the program button, and the lock that keeps two stations from giving out one number.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/system.h"
#include "resources/rtf_text.h"
#include "resources/serial_list.h"
#include "service/command_log.h"

namespace {

namespace fs = std::filesystem;
using resources::AssignRequest;
using testing_support::readFile;

std::string tempFolder(const std::string& name) {
    const fs::path p =
        fs::temp_directory_path() / ("krn_sn_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

TEST(SerialListFile, WritesPlainParagraphsInCourierNewAndReadsThemBack) {
    const std::vector<std::string> lines = {"QX300125  KRN-Visual          06/12/2026  Magazzino",
                                            "a {b} c\\d", "caf\u00e9 \u4e2d\U0001F600", ""};
    const std::string rtf = resources::writeRtf(lines);
    EXPECT_EQ(
        rtf,
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\n\\f0\\fs20 "
        "QX300125  KRN-Visual          06/12/2026  Magazzino\\par\na \\{b\\} "
        "c\\\\d\\par\ncaf\\'e9 \\u20013?\\u-10179?\\u-8704?\\par\n\\par\n}\n");
    EXPECT_EQ(resources::readRtf(rtf), lines);
    // What a word processor adds: destinations to skip, tabs.
    EXPECT_EQ(resources::readRtf("{\\rtf1{\\*\\generator W;}a\\tab b\\par}"),
              std::vector<std::string>{"a\tb"});
}

// A list of these lines (unless not written) in a folder of its own.
struct ListBench {
    explicit ListBench(const std::vector<std::string>& lines = {}, bool written = true)
        : folder(tempFolder(std::to_string(counter++))), path(folder + "/SNlist.txt") {
        clock.setLocal({2026, 12, 6, 10, 0, 0});
        EXPECT_EQ(written && resources::writeSerialList(path, lines), written);
    }
    ~ListBench() { fs::remove_all(folder); }
    resources::AssignResult assign(resources::AssignRequest r) {
        return resources::assignSerialNumber(path, settings, "krnsetup", clock, r,
                                             std::chrono::seconds(10));
    }
    // The next free number of type 3 for this name.
    resources::AssignResult next(const std::string& name = "n", const std::string& user = "u") {
        return assign({3, std::nullopt, std::nullopt, name, user, {}});
    }
    std::vector<std::string> lines() const { return *resources::readSerialList(path); }
    static inline int counter = 0;
    std::string folder, path;
    platform::VirtualClock clock;
    platform::MemorySettingsStore settings;
};

TEST(SerialListAssign, ANumberTakenMeanwhileIsNeverGivenTwice) {
    ListBench b({"QX300125  A"});
    // Another station took 126 after this dialog proposed it: the next free one is used.
    ASSERT_TRUE(b.assign({3, 126, 126, "  first  ", "u", {}}).assignment);
    auto r = b.assign({3, 126, 126, "Fr\u00e8\u4e2d", "t\u00e8", {}});
    ASSERT_TRUE(r.assignment);
    EXPECT_EQ(r.assignment->number, 127);
    EXPECT_EQ(b.settings.value("krnsetup", "Main", "LastSerialNumber3"), "127");
    // The name goes in without the blanks around it.
    EXPECT_EQ(b.lines()[1], "QX300126  first               06/12/2026  u");
    // Padding counts characters; the file keeps Windows-1252.
    EXPECT_EQ(b.lines()[2], "QX300127  Fr\u00e8\u4e2d                06/12/2026  t\u00e8");
    EXPECT_NE(readFile(b.path).find(" t\\'e8\\par"), std::string::npos);
    // A number typed by hand that is already in the list is refused.
    r = b.assign({3, 125, 128, "third", "u", {}});
    EXPECT_FALSE(r.assignment);
    EXPECT_EQ(r.error, "Serial number QX300125 is already in the list");
    EXPECT_EQ(b.lines().size(), 3u);
}

// A list cut short (its last paragraphs, with the last numbers given, are lost) or otherwise
// broken is refused with its line: no number is proposed from it and no line is appended.
// (UTF-16 and binary lists: e2e HostileFiles.)
TEST(SerialListAssign, ABrokenListIsRefusedWithItsLineAndLeftAlone) {
    const std::string sound = resources::writeRtf({"QX300125  A", "QX300126  B"});
    const std::string kNotRtf = "not a rich-text document (it must begin with \"{\\rtf\")";
    struct Case {
        std::string document;
        int line;  // 0: refused as a whole
        std::string reason;
    };
    const Case cases[] = {
        {"QX300125  A\r\n}\r\n", 1, kNotRtf},  // plain text
        {sound.substr(0, sound.size() - 2), 4,
         "the document ends before its last group is closed (cut short?)"},
        {"{\\rtf1 QX300125\\par}\r\nQX300126\\par\r\n", 2, "text after the end of the document"},
        {"{\\rtf1\r\nQX300125 caf\\'e\\par}", 2, "a \"\\'\" escape without two hexadecimal digits"},
        {"", 1, kNotRtf},
    };
    for (const Case& c : cases) {
        ListBench b({}, false);
        std::ofstream(b.path, std::ios::binary) << c.document << std::flush;
        backup::FileProblem problem;
        EXPECT_FALSE(resources::readSerialList(b.path, &problem)) << c.document;
        const std::string refused =
            c.line == 0 ? "The file " + b.path + " cannot be read: " + c.reason + "."
                        : "The file " + b.path + " is not valid at line " + std::to_string(c.line) +
                              ": " + c.reason + ".\nNothing was written.";
        const auto r = b.next();
        EXPECT_EQ(std::make_pair(r.assignment.has_value(), r.error),
                  std::make_pair(false, refused));
        EXPECT_EQ(readFile(b.path), c.document);
        EXPECT_EQ(b.settings.value("krnsetup", "Main", "LastSerialNumber3"), "");
    }
}

// Past QX399999 no serial text of eight characters is left: the type's numbers are used up,
// and nothing is appended.
TEST(SerialListAssign, NumbersPastTheRangeAreUsedUp) {
    const std::string usedUp =
        "The serial numbers of type 3 are used up: QX399999 is the last one a chip can take. "
        "Nothing was programmed.";
    struct Case {
        std::vector<std::string> lines;
        std::optional<long> typed;
        std::string error;  // empty: assigned
    };
    const Case cases[] = {
        {{"QX399998  A"}, std::nullopt, ""},
        {{"QX399999  A"}, std::nullopt, usedUp},
        {{"QX3999999999  A"}, std::nullopt, usedUp},
        {{"QX399999  A"}, 100000, "Lenght of serial number: QX3100000 is wrong"},
        {{"QX399999  A"}, 99999, usedUp},  // typed, but taken: the next free one is none
    };
    for (const Case& c : cases) {
        ListBench b(c.lines);
        const auto r = b.assign({3, c.typed, c.typed, "n", "u", {}});
        EXPECT_EQ(r.error, c.error) << c.lines[0];
        EXPECT_EQ(r.usedUp, c.error == usedUp);
        EXPECT_EQ(b.lines().size(), c.error.empty() ? 2u : 1u);
    }
}

// A lock left by a process of this computer that is gone is taken over with a line that says so;
// a running process's lock and another computer's lock are waited for, then kept and named.
TEST(SerialListAssign, AStaleLockOfThisComputerIsTakenOver) {
    const std::string identity = platform::processIdentity();
    const std::string host = identity.substr(0, identity.rfind(' '));
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    struct Case {
        std::string holder;
        bool takenOver;
        std::string named;
    };
    const Case cases[] = {
        {host + " " + std::to_string(gone), true, ""},
        {host + " " + std::to_string(::getpid()), false,
         "computer " + host + ", process " + std::to_string(::getpid())},
        {"elsewhere " + std::to_string(gone), false,
         "computer elsewhere, process " + std::to_string(gone)},
        {"", false, "an unknown station"},
    };
    for (const Case& c : cases) {
        ListBench b;
        std::ofstream(b.path + ".lock") << c.holder << std::endl;
        const auto t0 = b.clock.now();
        const auto r = b.next();
        EXPECT_EQ(r.assignment.has_value(), c.takenOver) << c.holder;
        if (c.takenOver)
            EXPECT_EQ(r.notice, "The serial number list's lock of process " + std::to_string(gone) +
                                    ", which no longer runs on this computer, was taken over: " +
                                    b.path + ".lock");
        else
            EXPECT_EQ(r.error, "The serial number list is in use by another station (" + c.named +
                                   ").\nTry again; if no other station is programming, delete " +
                                   b.path + ".lock");
        EXPECT_EQ(b.clock.now() - t0 >= std::chrono::seconds(10), !c.takenOver);
        // The lock stays but for a takeover, and nothing is left aside.
        EXPECT_EQ(std::distance(fs::directory_iterator(b.folder), fs::directory_iterator()),
                  c.takenOver ? 1 : 2);
    }
}

// The dialog's save keeps the technician's edit and every line another station added since the
// list was loaded.
TEST(SerialListEdit, TheSaveMergesTheLinesAddedMeanwhile) {
    struct Case {
        std::vector<std::string> loaded, edited, current, merged;
    };
    const Case cases[] = {
        {{"A", "B"}, {"A edited", "B"}, {"A", "B"}, {"A edited", "B"}},
        {{"A", "B"}, {"A edited", "B"}, {"A", "B", "C", "D"}, {"A edited", "B", "C", "D"}},
        {{"A", "B"}, {"B"}, {"A", "B", "C"}, {"B", "C"}},            // a deleted line stays out
        {{"A", "A"}, {"A", "A"}, {"A", "A", "A"}, {"A", "A", "A"}},  // repeated lines count
        {{}, {"typed"}, {"C"}, {"typed", "C"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resources::mergeSerialList({c.loaded, c.edited}, c.current), c.merged);
}

}  // namespace
