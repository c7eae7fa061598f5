// krnctl format end to end: a profile file written, a protocol 36 instrument served by krnsim on
// a pseudo-terminal formatted with it, and the result identified and its (empty) job list read.
#include "e2e/programs.h"

namespace {

using namespace e2e;

TEST(FormatCli, ProfileFormatIdentifyAndJobList) {
    Krnsim sim({"--profile", "p36e51", "--serial", "--restart-ms", "300"});
    TempFolder dir("krn-e2e-format");
    copyShippedData(dir.path);
    const std::string k = krnctlOn("COM: " + sim.value("serial"), dir.str());
    const std::string profile = dir / "line5.ini";
    ASSERT_EQ(run(k + "profile new --model 0 --name 'LINE 5' -o " + profile).exitCode, 0);

    // Without --yes and without a terminal the first question counts as No: nothing happens.
    Result r = run(k + "format --profile " + profile + " < /dev/null");
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_THAT(r.out, AllOf(HasSubstr("All the values previously set up will be erased."),
                             Not(HasSubstr("Confirm?"))));

    // --verify reads back every write of the format: a faulty cell would fail it with its address.
    r = run(k + "format --profile " + profile + " --yes --verify");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, AllOf(HasSubstr("Confirm?\n(Version detected: 2.48)\n"),
                             HasSubstr("Format process successful.\n")));
    EXPECT_FALSE(fs::exists(dir.path / "RamSetup.asm"));

    r = run(k + "identify");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, AllOf(HasSubstr("Instrument:                 LINE 5\n"),
                             HasSubstr("Set-point function:         Brake\n")));
    // A freshly formatted instrument holds no jobs: the list says so instead of staying empty.
    expectRuns(k, {{"--json job list", 0, "[]\n"}, {"job list", 0, "(no jobs)\n"}});

    // Differences only: nothing is written, the bytes of the image that the option stage
    // changed afterwards are listed (address, what the image holds, what the instrument holds).
    fs::remove(dir.path / "Diff.asm");
    const std::string trace = dir / "trace.txt";
    r = run(k + "--trace " + trace + " format --profile " + profile + " --yes --differences-only");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::string diff = slurp(dir.path / "Diff.asm");
    EXPECT_EQ(diff.substr(0, diff.find('\n')), "38   OK: 0   0     BAD: 10   A\r");
    // It read, and wrote nothing.
    EXPECT_THAT(slurp(trace),
                AllOf(HasSubstr("# 41 "), Not(HasSubstr("# 14 ")), Not(HasSubstr("# 40 "))));
}

}  // namespace
