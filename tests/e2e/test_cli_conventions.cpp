// What every krnctl command shares, checked against what the documentation promises: each case
// of the exit-code table in docs/cli.md is run and gives its code, the three programs give one
// version, and a failed command ends with its closing line.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "e2e/programs.h"

namespace {

using e2e::Result;
using e2e::run;

struct Documented {
    int code;
    std::string command;
};

// The rows "| CODE | meaning | `krnctl ...` |" of the exit-code table.
std::vector<Documented> exitCodeTable() {
    std::ifstream in(std::string(KRN_DATA_DIR) + "/../docs/cli.md");
    const std::regex row(R"(^\| ([0-9]) \| [^|]+ \| `krnctl ([^`]+)` \|$)");
    std::vector<Documented> rows;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| Exit code | Meaning | For example |", 0) == 0) inTable = true;
        std::smatch m;
        if (inTable && std::regex_match(line, m, row)) rows.push_back({std::stoi(m[1]), m[2]});
        if (inTable && line.empty()) break;
    }
    return rows;
}

TEST(Conventions, EachDocumentedExitCodeIsWhatTheCommandGives) {
    const auto rows = exitCodeTable();
    ASSERT_EQ(rows.size(), 5u);
    for (const Documented& d : rows) {
        const Result r = run("env -u KRN_INSTRUMENT " + e2e::krnctl + " " + d.command);
        EXPECT_EQ(r.exitCode, d.code) << d.command << "\n" << r.out;
        // Every failure but a usage error ends with what happened, the state and what to do.
        if (d.code != 0 && d.code != 2) {
            EXPECT_NE(r.out.rfind("\nkrnctl: "), std::string::npos) << r.out;
        }
    }
}

TEST(Conventions, TheThreeProgramsGiveOneVersion) {
    std::vector<std::string> versions;
    for (const std::string& p :
         {e2e::krnctl, std::string(KRNSIM_PATH), std::string(KRNSETUP_PATH)}) {
        const Result r = run(p + " --version");
        EXPECT_EQ(r.exitCode, 0) << p << r.out;
        versions.push_back(r.out.substr(r.out.find(' ')));
    }
    EXPECT_EQ(versions[0], versions[1]);
    EXPECT_EQ(versions[0], versions[2]);
    EXPECT_TRUE(std::regex_search(versions[0], std::regex(R"(^ [0-9]+\.[0-9]+\.[0-9]+)")))
        << versions[0];
}

}  // namespace

namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// On a terminal the header is shown once (the box); to a script its lines come on stdout too.
TEST(Conventions, TheHeaderIsShownOnceOnATerminal) {
    const std::string header =
        e2e::krnctl + " --simulate p36e51 --instrument 'USB: QX3SIM0001' header";
    const Result piped = run("{ " + header + " 2>/dev/null; }");
    ASSERT_EQ(piped.exitCode, 0) << piped.out;
    const std::string firstLine = piped.out.substr(0, piped.out.find('\n'));
    ASSERT_FALSE(firstLine.empty());
    EXPECT_EQ(occurrences(run(header).out, firstLine), 2u);
    const Result terminal = run("script -qec \"" + header + "\" /dev/null < /dev/null");
    EXPECT_EQ(occurrences(terminal.out, firstLine), 1u) << terminal.out;
}

}  // namespace
