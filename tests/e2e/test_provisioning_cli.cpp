// krnctl profile and image end to end: a profile file written and shown, an image built for a
// given version and from a simulated instrument, and its map.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "e2e/programs.h"

namespace {

using e2e::run;

TEST(ProvisioningCli, ProfileNewShowImageBuildAndShow) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_e2e_prov_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const auto& e : std::filesystem::directory_iterator(KRN_SHIPPED_DATA))
        std::filesystem::copy_file(e.path(), dir / e.path().filename());
    const std::string k = e2e::krnctl + " --folder " + dir.string() + " ";
    const std::string profile = (dir / "line.ini").string();

    e2e::Result r =
        run(k + "profile new --model 8 --language1 1 --language2 0 --name 'Line 3' -o " + profile);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    r = run(k + "profile show " + profile);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("NomeStrumento: Line 3\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("derived from the model:\n"), std::string::npos);
    EXPECT_NE(r.out.find("  ForzaMassimaN: 25000\n"), std::string::npos);
    EXPECT_NE(r.out.find("  AccelerazioneMassima: 1.5\n"), std::string::npos);
    r = run(k + "--json profile show " + profile);
    EXPECT_NE(r.out.find("\"TipoElettroPressa\":8"), std::string::npos) << r.out;
    EXPECT_EQ(run(k + "profile new --model 27 -o " + profile).exitCode, 2);
    {
        std::ofstream((dir / "bad.ini").string(), std::ios::binary)
            << "[Profilo]\r\nNumeroCesti=9\r\n";
    }
    r = run(k + "profile show " + (dir / "bad.ini").string());
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.out.find("NumeroCesti must be a whole number from 0 to 3, not \"9\""),
              std::string::npos)
        << r.out;

    const std::string version =
        " --protocol 39 --extension 1060 --version 3.12 --memory-size 512768 --electric";
    const std::string image = (dir / "RamSetup.asm").string();
    r = run(k + "image build --profile " + profile + version + " -o " + image);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("  end of job memory: 452768\n"), std::string::npos) << r.out;
    r = run(k + "image show " + image + " --profile " + profile + version);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Blocks (the image these options build):"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  284  DefaultForzaInizio: 50\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  498  SpeedMaxMMSEC x 10 (MotorMaxSpeed): 1400\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(run(k + "image build --profile " + profile +
                  " --protocol 33 --extension 48 --version 2 --memory-size 512768")
                  .exitCode,
              3);
    EXPECT_EQ(run(k + "image build --profile " + profile).exitCode, 2);

    r = run(k +
            "--simulate p36e51 --instrument 'USB: QX3SIM0001' image build --from-instrument "
            "--profile " +
            profile);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "RamSetup.asm"));
    std::filesystem::remove_all(dir);
}

}  // namespace
