// krnctl format end to end: a profile file written, a protocol 36 instrument served by krnsim on
// a pseudo-terminal formatted with it, and the result identified and its (empty) job list read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/programs.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

TEST(FormatCli, ProfileFormatIdentifyAndJobList) {
    Krnsim sim({"--profile", "p36e51", "--serial", "--restart-ms", "300"});
    const fs::path dir =
        fs::temp_directory_path() / ("krn-e2e-format-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(KRN_SHIPPED_DATA))
        fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::overwrite_existing);
    const std::string k =
        krnctl + " --folder " + dir.string() + " --instrument 'COM: " + sim.value("serial") + "' ";
    const std::string profile = (dir / "line5.ini").string();
    ASSERT_EQ(run(k + "profile new --model 0 --name 'LINE 5' -o " + profile).exitCode, 0);

    // Without --yes and without a terminal the first question counts as No: nothing happens.
    Result r = run(k + "format --profile " + profile + " < /dev/null");
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_NE(r.out.find("All the values previously set up will be erased."), std::string::npos);
    EXPECT_EQ(r.out.find("Confirm?"), std::string::npos);

    // --verify reads back every write of the format: a faulty cell would fail it with its address.
    r = run(k + "format --profile " + profile + " --yes --verify");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Confirm?\n(Version detected: 2.48)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Format process successful.\n"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(dir / "RamSetup.asm"));

    r = run(k + "identify");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Instrument:                 LINE 5\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Set-point function:         Brake\n"), std::string::npos) << r.out;
    r = run(k + "--json job list");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "[]\n");
    // A freshly formatted instrument holds no jobs: the list says so instead of staying empty.
    r = run(k + "job list");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "(no jobs)\n");

    // Differences only: nothing is written, the bytes of the image that the option stage
    // changed afterwards are listed (address, what the image holds, what the instrument holds).
    fs::remove(dir / "Diff.asm");
    const std::string trace = (dir / "trace.txt").string();
    r = run(k + "--trace " + trace + " format --profile " + profile + " --yes --differences-only");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::ifstream in(dir / "Diff.asm", std::ios::binary);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "38   OK: 0   0     BAD: 10   A\r");
    std::ifstream t(trace);
    const std::string frames{std::istreambuf_iterator<char>(t), {}};
    EXPECT_NE(frames.find("# 41 "), std::string::npos);  // it read
    EXPECT_EQ(frames.find("# 14 "), std::string::npos);  // and wrote nothing
    EXPECT_EQ(frames.find("# 40 "), std::string::npos);
    fs::remove_all(dir);
}

}  // namespace
