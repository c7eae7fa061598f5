// krnctl send-text end to end: a simulated instrument on a pseudo-terminal gets Italian texts,
// keeps its jobs, and answers identify and job list afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/programs.h"

namespace {

using e2e::run;

TEST(SendTextCli, NewTextsOverAPseudoTerminalThenIdentifyAndJobList) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_e2e_text_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (const auto& e : std::filesystem::directory_iterator(KRN_SHIPPED_DATA))
        std::filesystem::copy_file(e.path(), dir / e.path().filename());
    e2e::Krnsim sim({"--profile", "p36e51", "--serial", "--restart-ms", "300"});
    const std::string pty = sim.value("serial");
    ASSERT_FALSE(pty.empty());
    const std::string k =
        e2e::krnctl + " --folder " + dir.string() + " --instrument 'COM: " + pty + "' ";

    EXPECT_EQ(run(k + "send-text --languages Klingon").exitCode, 2);
    // Without --yes and without a terminal the question counts as No: nothing is sent.
    e2e::Result r = run(k + "send-text --languages Ita,Ing");
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_NE(r.out.find("Send text to KRN?"), std::string::npos) << r.out;

    r = run(k + "send-text --languages Italiano,english --yes --verify");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("The text has been sent succesfully."), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "CopiaLavori.bin"));
    EXPECT_FALSE(std::filesystem::exists(dir / "RamSetup.asm"));

    r = run(k + "--json identify");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("\"Protocollo\":36"), std::string::npos) << r.out;
    r = run(k + "job list");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "* 1  JOB 1\n  2  JOB 2\n");
    std::filesystem::remove_all(dir);
}

}  // namespace
