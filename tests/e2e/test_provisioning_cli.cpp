// krnctl profile and image end to end: a profile file written and shown, an image built for a
// given version and from a simulated instrument, and its map.
#include "e2e/programs.h"

namespace {

using namespace e2e;

TEST(ProvisioningCli, ProfileNewShowImageBuildAndShow) {
    TempFolder dir("krn-e2e-prov");
    copyShippedData(dir.path);
    const std::string k = krnctl + " --folder " + dir.str() + " ";
    const std::string profile = dir / "line.ini";

    Result r =
        run(k + "profile new --model 8 --language1 1 --language2 0 --name 'Line 3' -o " + profile);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    r = run(k + "profile show " + profile);
    EXPECT_EQ(r.exitCode, 0);
    for (const char* line : {"NomeStrumento: Line 3\n", "derived from the model:\n",
                             "  ForzaMassimaN: 25000\n", "  AccelerazioneMassima: 1.5\n"})
        EXPECT_THAT(r.out, HasSubstr(line));
    EXPECT_THAT(run(k + "--json profile show " + profile).out,
                HasSubstr("\"TipoElettroPressa\":8"));
    EXPECT_EQ(run(k + "profile new --model 27 -o " + profile).exitCode, 2);
    r = run(k + "profile show " + dir.file("bad.ini", "[Profilo]\r\nNumeroCesti=9\r\n"));
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_THAT(r.out, HasSubstr("NumeroCesti must be a whole number from 0 to 3, not \"9\""));

    const std::string version =
        " --protocol 39 --extension 1060 --version 3.12 --memory-size 512768 --electric";
    const std::string image = dir / "RamSetup.asm";
    r = run(k + "image build --profile " + profile + version + " -o " + image);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, HasSubstr("  end of job memory: 452768\n"));
    r = run(k + "image show " + image + " --profile " + profile + version);
    EXPECT_EQ(r.exitCode, 0);
    for (const char* line :
         {"Blocks (the image these options build):", "  284  DefaultForzaInizio: 50\n",
          "  498  SpeedMaxMMSEC x 10 (MotorMaxSpeed): 1400\n"})
        EXPECT_THAT(r.out, HasSubstr(line));
    fs::remove(image);
    expectRuns(k + "image build --profile " + profile,
               {{" --protocol 33 --extension 48 --version 2 --memory-size 512768", 3, ""},
                {"", 2, ""},
                {" --simulate p36e51 --instrument 'USB: QX3SIM0001' --from-instrument", 0, ""}});
    EXPECT_TRUE(fs::exists(dir.path / "RamSetup.asm"));
}

}  // namespace
