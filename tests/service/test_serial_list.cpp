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

std::string times(int n, const std::string& s) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
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
}

TEST(SerialListFile, ReaderSkipsWhatItDoesNotKnow) {
    // As another word processor may save it: colour table, generator, an unknown destination,
    // formatting words, a last paragraph without its mark.
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}}{\\colortbl "
        ";\\red0\\green0\\blue0;}\r\n"
        "{\\*\\generator Riched20 10.0;}\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 3QX00125  "
        "First\\par\r\n"
        "{\\*\\unknown skipped}\\b QX300099\\b0  Second\\tab x\\par\r\n"
        "last}";
    EXPECT_EQ(resources::readRtf(rtf),
              (std::vector<std::string>{"3QX00125  First", "QX300099 Second\tx", "last"}));
    // Windows-1252 as a word processor saves it: raw bytes, escapes, \u with its fallback.
    EXPECT_EQ(resources::readRtf("{\\rtf1\\ansi\\ansicpg1252 Pr\xfc"
                                 "fstand \\'80 "
                                 "\\uc2\\u269xx\\u-3?\\par}"),
              (std::vector<std::string>{"Pr\u00fc"
                                        "fstand \u20ac \u010d\ufffd"}));
}

TEST(SerialList, LastNumberAndProposal) {
    platform::MemorySettingsStore settings;
    struct Case {
        std::vector<std::string> lines;
        long proposed;
    };
    const Case cases[] = {
        {{"QX300125  A", "QX300099  B"}, 126},
        {{"3QX00125  older form", "QX400099  B"}, 126},
        {{"header", "QX4  no number"}, 1},
        {{"QX300007  A", "x QX300200 later text QX399999"}, 201},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resources::proposedSerialNumber(c.lines, settings, "krnsetup", 3), c.proposed);
    settings.setValue("krnsetup", "Main", "LastSerialNumber4", "41");
    EXPECT_EQ(resources::proposedSerialNumber({}, settings, "krnsetup", 4), 42);
    EXPECT_EQ(resources::proposedSerialNumber({}, settings, "krnsetup", 3), 1);
}

TEST(SerialList, SerialTextAndLine) {
    EXPECT_EQ(resources::serialText(3, 125), "QX300125");
    EXPECT_EQ(resources::serialText(4, 100000), "QX4100000");
    const platform::LocalDateTime d{2026, 12, 6};
    EXPECT_EQ(resources::serialListLine("QX300125", "KRN-Visual", d, "Magazzino Varnolide"),
              "QX300125  KRN-Visual          06/12/2026  Magazzino Varnolide");
    const std::string long20(20, 'N');
    EXPECT_EQ(resources::serialListLine("QX300125", long20, d, "u"),
              "QX300125  " + long20 + "06/12/2026  u");
}

TEST(SerialList, ProgramButtonChecks) {
    struct Case {
        std::string number;
        std::string name;
        std::optional<std::string> error;
    };
    const Case cases[] = {
        {"125", "KRN-Visual", std::nullopt},
        {"12a", "KRN-Visual", "Serial number is not a number!"},
        {"", "KRN-Visual", "Serial number is not a number!"},
        {"100000", "KRN-Visual", "Lenght of serial number: QX4100000 is wrong"},
        {"125", std::string(64, 'n') + "   ", std::nullopt},
        {"125", std::string(65, 'n'), "Lenght of name is wrong"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resources::serialFieldsError(c.number, 4, c.name), c.error) << c.number;
}

struct ListBench {
    explicit ListBench(const std::string& name)
        : folder(tempFolder(name)), path(folder + "/SNlist.txt") {
        clock.setLocal({2026, 12, 6, 10, 0, 0});
    }
    ~ListBench() { fs::remove_all(folder); }
    resources::AssignResult assign(resources::AssignRequest r) {
        return resources::assignSerialNumber(path, settings, "krnsetup", clock, r,
                                             std::chrono::seconds(10));
    }
    std::string folder, path;
    platform::VirtualClock clock;
    platform::MemorySettingsStore settings;
};

TEST(SerialListAssign, AppendsTheLineSavesAndRemembersTheNumber) {
    ListBench b("append");
    ASSERT_TRUE(resources::writeSerialList(b.path, {"QX300125  A", "QX300099  B"}));
    auto r = b.assign({3, 126, 126, "  " + std::string(64, 'n') + "  ", "Magazzino Varnolide", {}});
    ASSERT_TRUE(r.assignment) << r.error;
    EXPECT_EQ(r.assignment->serial, "QX300126");
    EXPECT_EQ(r.assignment->name, std::string(64, 'n'));
    const std::vector<std::string> lines = {
        "QX300125  A", "QX300099  B",
        "QX300126  " + std::string(64, 'n') + "06/12/2026  Magazzino Varnolide"};
    EXPECT_EQ(*resources::readSerialList(b.path), lines);
    EXPECT_EQ(readFile(b.path),
              resources::writeRtf(lines));  // the whole file as written
    EXPECT_EQ(b.settings.value("krnsetup", "Main", "LastSerialNumber3"), "126");
    EXPECT_FALSE(fs::exists(b.path + ".lock"));
}

TEST(SerialListAssign, ANumberTakenMeanwhileIsNeverGivenTwice) {
    ListBench b("taken");
    ASSERT_TRUE(resources::writeSerialList(b.path, {"QX300125  A"}));
    // Another station took 126 after this dialog proposed it: the next free one is used.
    ASSERT_TRUE(b.assign({3, 126, 126, "first", "u", {}}).assignment);
    auto r = b.assign({3, 126, 126, "second", "u", {}});
    ASSERT_TRUE(r.assignment);
    EXPECT_EQ(r.assignment->number, 127);
    // A number typed by hand that is already in the list is refused.
    r = b.assign({3, 125, 128, "third", "u", {}});
    EXPECT_FALSE(r.assignment);
    EXPECT_EQ(r.error, "Serial number QX300125 is already in the list");
    EXPECT_EQ(resources::readSerialList(b.path)->size(), 3u);
}

// A list cut short (its last paragraphs, with the last numbers given, are lost) or otherwise
// broken is refused with its line: no number is proposed from it and no line is appended.
TEST(SerialListAssign, ABrokenListIsRefusedWithItsLineAndLeftAlone) {
    const std::string sound = resources::writeRtf({"QX300125  A", "QX300126  B"});
    const std::string kNotRtf = "not a rich-text document (it must begin with \"{\\rtf\")";
    std::string random(300, '\0');
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>(i * 37 + 11);
    struct Case {
        std::string document;
        int line;  // -1: sound; 0: refused as a whole
        std::string reason;
    };
    const Case cases[] = {
        {sound, -1, ""},
        {"QX300125  A\r\n}\r\n", 1, kNotRtf},  // plain text
        {sound.substr(0, sound.size() - 2), 4,
         "the document ends before its last group is closed (cut short?)"},
        {"{\\rtf1 QX300125\\par}\r\nQX300126\\par\r\n", 2, "text after the end of the document"},
        {"{\\rtf1\r\nQX300125 caf\\'e\\par}", 2, "a \"\\'\" escape without two hexadecimal digits"},
        // Not the list's form at all: its numbers cannot be read, so none may be proposed.
        {std::string("\xff\xfeQ\0X\0003\0000\0000\0001\0002\0005\0", 18), 0,
         "it is UTF-16 text; the program reads Windows-1252 text"},
        {random, 0, "it holds a NUL byte: it is not a text file (binary data, or UTF-16 text)"},
        {"", 1, kNotRtf},
    };
    for (const Case& c : cases) {
        ListBench b("broken");
        { std::ofstream(b.path, std::ios::binary) << c.document; }
        backup::FileProblem problem;
        const auto lines = resources::readSerialList(b.path, &problem);
        EXPECT_EQ(lines.has_value(), c.line < 0) << c.document;
        EXPECT_EQ(problem.line, std::max(c.line, 0)) << c.document;
        EXPECT_EQ(problem.reason, c.reason);
        if (c.line < 0) continue;
        const std::string refused =
            c.line == 0 ? "The file " + b.path + " cannot be read: " + c.reason + "."
                        : "The file " + b.path + " is not valid at line " + std::to_string(c.line) +
                              ": " + c.reason + ".\nNothing was written.";
        EXPECT_EQ(resources::serialListRefusedText(b.path, problem), refused);
        const auto r = b.assign({3, std::nullopt, std::nullopt, "n", "u", {}});
        EXPECT_FALSE(r.assignment);
        EXPECT_EQ(r.error, refused);
        EXPECT_EQ(readFile(b.path), c.document);
        EXPECT_EQ(b.settings.value("krnsetup", "Main", "LastSerialNumber3"), "");
    }
}

TEST(SerialListAssign, MissingListAndAHeldLock) {
    ListBench b("lock");
    auto r = b.assign({3, std::nullopt, std::nullopt, "n", "u", {}});
    EXPECT_EQ(r.error,
              "File not found\nCorreggere la chiave del registro: SetupPrograms/Main/FileSN");
    ASSERT_TRUE(resources::writeSerialList(b.path, {}));
    { std::ofstream(b.path + ".lock") << "other-host 1\n"; }
    const auto t0 = b.clock.now();
    r = b.assign({3, std::nullopt, std::nullopt, "n", "u", {}});
    EXPECT_FALSE(r.assignment);
    EXPECT_EQ(r.error,
              "The serial number list is in use by another station (computer other-host, process "
              "1).\nTry again; if no other station is programming, delete " +
                  b.path + ".lock");
    EXPECT_GE(b.clock.now() - t0, std::chrono::seconds(10));
    EXPECT_TRUE(fs::exists(b.path + ".lock"));  // somebody else's lock stays
    EXPECT_TRUE(resources::readSerialList(b.path)->empty());
}

// Names are characters everywhere but in the file, which keeps Windows-1252: padding and the
// length limit count characters, and the dialog reads back what was typed.
TEST(SerialListAssign, NamesAreCharactersAndTheFileIsWindows1252) {
    const std::string e = "\u00e8";  // è: two bytes in UTF-8, one character
    struct Case {
        std::string name;
        std::string padded;  // as the line holds it; empty: the name as it is
    };
    const Case cases[] = {
        {"Pr\u00fcfstand", "Pr\u00fcfstand           "},
        {"Frè中", "Frè中                "},
        {times(64, e), ""},
        {std::string(53, 'a') + e, std::string(53, 'a') + e},
    };
    for (const Case& c : cases) {
        ListBench b("chars");
        ASSERT_TRUE(resources::writeSerialList(b.path, {}));
        const auto r = b.assign({3, std::nullopt, std::nullopt, c.name, "tech " + e, {}});
        ASSERT_TRUE(r.assignment) << r.error;
        const std::string line =
            "QX300001  " + (c.padded.empty() ? c.name : c.padded) + "06/12/2026  tech " + e;
        EXPECT_EQ(*resources::readSerialList(b.path), std::vector<std::string>{line});
        EXPECT_NE(readFile(b.path).find("tech \\'e8\\par"), std::string::npos);
    }
    ListBench b("chars");
    ASSERT_TRUE(resources::writeSerialList(b.path, {}));
    EXPECT_EQ(b.assign({3, std::nullopt, std::nullopt, times(65, e), "u", {}}).error,
              "Lenght of name is wrong");
    const auto r = b.assign({3, std::nullopt, std::nullopt, "Pr\u00fcfstand", "u", {}});
    ASSERT_TRUE(r.assignment);
    EXPECT_NE(readFile(b.path).find("QX300001  Pr\\'fcfstand           06/12/2026"),
              std::string::npos)
        << readFile(b.path);
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
        ListBench b("range");
        ASSERT_TRUE(resources::writeSerialList(b.path, c.lines));
        const auto r = b.assign({3, c.typed, c.typed, "n", "u", {}});
        EXPECT_EQ(r.error, c.error) << c.lines[0];
        EXPECT_EQ(r.usedUp, c.error == usedUp);
        EXPECT_EQ(resources::readSerialList(b.path)->size(), c.error.empty() ? 2u : 1u);
    }
    EXPECT_EQ(resources::serialNumbersUsedUp(4, 99999), std::nullopt);
    EXPECT_NE(resources::serialNumbersUsedUp(4, 100000), std::nullopt);
}

// A lock left by a process of this computer that is gone is taken over with a line that says so;
// a running process's lock and another computer's lock are kept and named.
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
        ListBench b("stale");
        ASSERT_TRUE(resources::writeSerialList(b.path, {}));
        { std::ofstream(b.path + ".lock") << c.holder << "\n"; }
        const auto r = b.assign({3, std::nullopt, std::nullopt, "n", "u", {}});
        EXPECT_EQ(r.assignment.has_value(), c.takenOver) << c.holder;
        EXPECT_EQ(fs::exists(b.path + ".lock"), !c.takenOver);
        if (c.takenOver)
            EXPECT_EQ(r.notice, "The serial number list's lock of process " + std::to_string(gone) +
                                    ", which no longer runs on this computer, was taken over: " +
                                    b.path + ".lock");
        else
            EXPECT_NE(r.error.find("(" + c.named + ")"), std::string::npos) << r.error;
        EXPECT_EQ(std::distance(fs::directory_iterator(b.folder), fs::directory_iterator()),
                  c.takenOver ? 1 : 2);  // nothing left aside
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
    ListBench b("save");
    ASSERT_TRUE(resources::writeSerialList(b.path, {"QX300001  A", "QX300002  B"}));
    const resources::SerialListEdit edit{{"QX300001  A", "QX300002  B"}, {"QX300001  A!"}};
    ASSERT_TRUE(b.assign({3, std::nullopt, std::nullopt, "C", "u", {}}).assignment);
    const auto saved =
        resources::saveSerialListEdit(b.path, b.clock, edit, std::chrono::seconds(1));
    EXPECT_TRUE(saved.saved) << saved.error;
    EXPECT_EQ(saved.kept, 1u);
    EXPECT_EQ(*resources::readSerialList(b.path),
              (std::vector<std::string>{"QX300001  A!",
                                        "QX300003  C" + std::string(19, ' ') + "06/12/2026  u"}));
}

}  // namespace
