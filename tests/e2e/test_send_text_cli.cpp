// krnctl send-text end to end: a simulated instrument on a pseudo-terminal gets Italian texts,
// keeps its jobs, and answers identify and job list afterwards.
#include "e2e/programs.h"

namespace {

using namespace e2e;

TEST(SendTextCli, NewTextsOverAPseudoTerminalThenIdentifyAndJobList) {
    TempFolder dir("krn-e2e-text");
    copyShippedData(dir.path);
    Krnsim sim({"--profile", "p36e51", "--serial", "--restart-ms", "300"});
    const std::string k = krnctlOn("COM: " + sim.value("serial"), dir.str());

    EXPECT_EQ(run(k + "send-text --languages Klingon").exitCode, 2);
    // Without --yes and without a terminal the question counts as No: nothing is sent.
    Result r = run(k + "send-text --languages Ita,Ing");
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Send text to KRN?"));

    r = run(k + "send-text --languages Italiano,english --yes --verify");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, HasSubstr("The text has been sent succesfully."));
    EXPECT_TRUE(fs::exists(dir.path / "CopiaLavori.bin"));
    EXPECT_FALSE(fs::exists(dir.path / "RamSetup.asm"));
    EXPECT_THAT(run(k + "--json identify").out, HasSubstr("\"Protocollo\":36"));
    expectRuns(k, {{"job list", 0, "* 1  JOB 1\n  2  JOB 2\n"}});
}

}  // namespace
