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
    TempFolder folder{"krn-e2e-memtest"};
    Krnsim sim;
    std::string k;
};

const std::string kQuestions =
    "Tutti i dati impostati nel KRN andranno persi, compresi i valori di taratura.\n"
    "Sei sicuro di voler continuare?\n"
    "Version detected: 2.48\n"
    "Are you sure to continue?\n";

TEST(MemtestCli, TheInstrumentsOwnTestThenTheHeaderAndANewSignature) {
    Bench b({"--profile", "p36e51", "--memtest-cycle-ms", "20"});
    for (const char* bad : {"--cycles 3", "--cycles 256", "--cycles 0"}) {
        Result r = b.run(std::string("memtest ") + bad);
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_EQ(r.out, "krnctl: --cycles takes an even number from 2 to 254\n");
    }
    Result header = b.run("header");
    ASSERT_EQ(header.exitCode, 0) << header.out;
    EXPECT_THAT(header.out, HasSubstr("\nRAM [0x00000]: 70  F : 70\n"));
    // Without --yes nothing is erased.
    Result no = b.run("memtest");
    EXPECT_EQ(no.exitCode, 3) << no.out;
    Result yes = b.run("memtest --yes");  // 200 cycles of 20 ms
    EXPECT_EQ(yes.exitCode, 0) << yes.out;
    EXPECT_EQ(yes.out, kQuestions + "Test memory OK\n");
    Result erased = b.run("--yes --json header");  // --yes writes nothing here
    EXPECT_EQ(erased.exitCode, 0) << erased.out;
    EXPECT_THAT(erased.out, HasSubstr("{\"Testata\":[0,0,0,0,0,0,0,0,0,0,0,0]}\n"));
    Result write = b.run("--yes header --write-checksum");
    EXPECT_EQ(write.exitCode, 0) << write.out;
    EXPECT_THAT(write.out, HasSubstr("Now I write a new checksum.\nAre you sure?\nDone\n"));
    Result after = b.run("header");
    const std::string lines =
        "RAM [0x00000]: 70  F : 70\nRAM [0x00001]: 111  o : 111\nRAM [0x00002]: 110  n : 110\n"
        "RAM [0x00003]: 116  t : 116\nRAM [0x00004]: 79  O : 79\nRAM [0x00005]: 75  K : 75\n"
        "RAM [0x00006]: 1  Font type\nRAM [0x00007]: 75  K : 75\nRAM [0x00008]: 82  R : 82\n"
        "RAM [0x00009]: 78  N : 78\nRAM [0x0000A]: 86  V : 86\n"
        "RAM [0x0000B]: 11 tipo ram (bit7=UpdateMode)\n";
    // The box on stderr, the lines on stdout, the question answered No.
    EXPECT_EQ(after.out,
              "Stato:\n" + lines + "Now I write a new checksum.\nAre you sure?\n" + lines)
        << after.out;
}

TEST(MemtestCli, TheTestFromTheComputerFindsAFaultyHighByte) {
    Bench b({"--profile", "p17e20", "--faulty-cell", "524283"});
    Result r = b.run("--yes memtest --cycles 2");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Version detected: 1.98\n"));
    EXPECT_THAT(r.out, HasSubstr("Memory Error !\nTest memory fail.\n"));
}

TEST(MemtestCli, HistoryResetOpensTheLinkItselfAndRestartsTheInstrument) {
    Bench b({"--profile", "p36e51"});
    Result no = b.run("history reset");
    EXPECT_EQ(no.exitCode, 3) << no.out;
    EXPECT_EQ(no.out,
              "Are you sure to continue?\nkrnctl: history reset was refused or cancelled; the "
              "history may be cleared only in part: run krnctl history reset again.\n");
    Result yes = b.run("--yes history reset");
    EXPECT_EQ(yes.exitCode, 0) << yes.out;
    EXPECT_EQ(yes.out, "Are you sure to continue?\nClean process successful.\n");
    Result none = e2e::run(krnctl + " history reset < /dev/null");
    EXPECT_EQ(none.exitCode, 2) << none.out;
}

}  // namespace
