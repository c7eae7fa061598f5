// What every krnctl command shares, checked against what the documentation promises: each case
// of the exit-code table in docs/cli.md is run and gives its code, the three programs give one
// version, and a failed command ends with its closing line.
#include <regex>

#include "e2e/programs.h"

namespace {

using e2e::Result;
using e2e::run;

struct Documented {
    int code;
    std::string command;
};

// The rows "| CODE | meaning | `krnctl ...` |" of the exit-code table (up to its blank line).
std::vector<Documented> exitCodeTable() {
    const std::string doc = e2e::slurp(std::string(KRN_DATA_DIR) + "/../docs/cli.md");
    const auto at = doc.find("| Exit code | Meaning | For example |");
    const std::string table = doc.substr(at, doc.find("\n\n", at) - at);
    const std::regex row(R"(\n\| ([0-9]) \| [^|\n]+ \| `krnctl ([^`]+)` \|(?=\n|$))");
    std::vector<Documented> rows;
    for (std::sregex_iterator m(table.begin(), table.end(), row), end; m != end; ++m)
        rows.push_back({std::stoi((*m)[1]), (*m)[2]});
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
    const Result ctl = run(e2e::krnctl + " --version");
    EXPECT_EQ(ctl.exitCode, 0) << ctl.out;
    EXPECT_TRUE(std::regex_search(ctl.out, std::regex(R"(^krnctl [0-9]+\.[0-9]+\.[0-9]+)")))
        << ctl.out;
    const std::string version = ctl.out.substr(ctl.out.find(' '));
    e2e::expectRuns("", {{KRNSIM_PATH " --version", 0, "krnsim" + version},
                         {KRNSETUP_PATH " --version", 0, "krnsetup" + version}});
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// On a terminal the header is shown once (the box); to a script its lines come on stdout too (the
// memory-test test reads them there).
TEST(Conventions, TheHeaderIsShownOnceOnATerminal) {
    const Result terminal = run("script -qec \"" + e2e::krnctl +
                                " --simulate p36e51 --instrument 'USB: QX3SIM0001' header\" "
                                "/dev/null < /dev/null");
    EXPECT_EQ(terminal.exitCode, 0) << terminal.out;
    EXPECT_EQ(occurrences(terminal.out, "RAM [0x00000]: 70  F : 70"), 1u) << terminal.out;
}

}  // namespace
