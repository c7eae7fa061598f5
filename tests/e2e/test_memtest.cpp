// krnctl memtest, header and history reset against krnsim on a pseudo-terminal: the instrument's
// own test and the test from the computer, the header before and after a new signature, the
// history reset on the link krnctl opens for it.
#include "e2e/programs.h"

namespace {

using namespace e2e;

struct Bench {
    explicit Bench(std::vector<std::string> simArgs)
        : sim([&] {
              simArgs.insert(simArgs.end(), {"--serial", "--restart-ms", "200"});
              return simArgs;
          }()),
          k(krnctlOn("COM: " + sim.value("serial"), folder.str())) {}
    Result run(const std::string& args) const { return e2e::run(k + args + " < /dev/null"); }
    // Runs the command, checks its exit code and a part of what it told.
    void expect(const std::string& args, int code, const std::string& part) const {
        const Result r = run(args);
        EXPECT_EQ(r.exitCode, code) << args << "\n" << r.out;
        EXPECT_THAT(r.out, HasSubstr(part)) << args;
    }
    TempFolder folder{"krn-e2e-memtest"};
    Krnsim sim;
    std::string k;
};

const std::string kQuestions =
    "Tutti i dati impostati nel KRN andranno persi, compresi i valori di taratura.\n"
    "Sei sicuro di voler continuare?\n"
    "Version detected: 2.48\n"
    "Are you sure to continue?\n";

// The instrument's own test, the header before and after a new signature, then the history reset
// on the link krnctl opens for it.
TEST(MemtestCli, TheInstrumentsOwnTestThenTheHeaderANewSignatureAndAHistoryReset) {
    Bench b({"--profile", "p36e51", "--memtest-cycle-ms", "20"});
    b.expect("header", 0, "\nRAM [0x00000]: 70  F : 70\n");
    const std::string cycles = "krnctl: --cycles takes an even number from 2 to 254\n";
    expectRuns(b.k, {{"memtest --cycles 3", 2, cycles},
                     {"memtest --cycles 256", 2, cycles},
                     {"memtest --cycles 0", 2, cycles},
                     {"memtest < /dev/null", 3, ""},  // without --yes nothing is erased
                     {"memtest --yes < /dev/null", 0, kQuestions + "Test memory OK\n"}});
    // After 200 cycles of 20 ms the header is erased; --yes writes nothing here.
    b.expect("--yes --json header", 0, "{\"Testata\":[0,0,0,0,0,0,0,0,0,0,0,0]}\n");
    b.expect("--yes header --write-checksum", 0,
             "Now I write a new checksum.\nAre you sure?\nDone\n");
    const std::string lines =
        "RAM [0x00000]: 70  F : 70\nRAM [0x00001]: 111  o : 111\nRAM [0x00002]: 110  n : 110\n"
        "RAM [0x00003]: 116  t : 116\nRAM [0x00004]: 79  O : 79\nRAM [0x00005]: 75  K : 75\n"
        "RAM [0x00006]: 1  Font type\nRAM [0x00007]: 75  K : 75\nRAM [0x00008]: 82  R : 82\n"
        "RAM [0x00009]: 78  N : 78\nRAM [0x0000A]: 86  V : 86\n"
        "RAM [0x0000B]: 11 tipo ram (bit7=UpdateMode)\n";
    // The box on stderr, the lines on stdout, the question answered No.
    EXPECT_EQ(b.run("header").out,
              "Stato:\n" + lines + "Now I write a new checksum.\nAre you sure?\n" + lines);
    expectRuns(b.k, {{"history reset < /dev/null", 3,
                      "Are you sure to continue?\nkrnctl: history reset was refused or cancelled; "
                      "the history may be cleared only in part: run krnctl history reset again.\n"},
                     {"--yes history reset", 0,
                      "Are you sure to continue?\nClean process successful.\n"}});
    EXPECT_EQ(e2e::run(krnctl + " history reset < /dev/null").exitCode, 2);
}

TEST(MemtestCli, TheTestFromTheComputerFindsAFaultyHighByte) {
    Bench b({"--profile", "p17e20", "--faulty-cell", "524283"});
    EXPECT_THAT(outputOf(b.k + "--yes memtest --cycles 2 < /dev/null", 1),
                AllOf(HasSubstr("Version detected: 1.98\n"),
                      HasSubstr("Memory Error !\nTest memory fail.\n")));
}

}  // namespace
