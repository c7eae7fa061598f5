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

    const std::string version =
        " --protocol 39 --extension 1060 --version 3.12 --memory-size 512768 --electric";
    const std::string image = dir / "RamSetup.asm";
    expectRuns(
        k,
        {{"profile new --model 8 --language1 1 --language2 0 --name 'Line 3' -o " + profile, 0, ""},
         {"profile new --model 27 -o " + profile, 2, ""}});
    EXPECT_THAT(
        outputOf(k + "profile show " + profile, 0),
        AllOf(HasSubstr("NomeStrumento: Line 3\n"), HasSubstr("derived from the model:\n"),
              HasSubstr("  ForzaMassimaN: 25000\n"), HasSubstr("  AccelerazioneMassima: 1.5\n")));
    EXPECT_THAT(outputOf(k + "--json profile show " + profile, 0),
                HasSubstr("\"TipoElettroPressa\":8"));
    EXPECT_THAT(
        outputOf(k + "profile show " + dir.file("bad.ini", "[Profilo]\r\nNumeroCesti=9\r\n"), 4),
        HasSubstr("NumeroCesti must be a whole number from 0 to 3, not \"9\""));
    EXPECT_THAT(outputOf(k + "image build --profile " + profile + version + " -o " + image, 0),
                HasSubstr("  end of job memory: 452768\n"));
    EXPECT_THAT(outputOf(k + "image show " + image + " --profile " + profile + version, 0),
                AllOf(HasSubstr("Blocks (the image these options build):"),
                      HasSubstr("  284  DefaultForzaInizio: 50\n"),
                      HasSubstr("  498  SpeedMaxMMSEC x 10 (MotorMaxSpeed): 1400\n")));
    fs::remove(image);
    expectRuns(k + "image build --profile " + profile,
               {{" --protocol 33 --extension 48 --version 2 --memory-size 512768", 3, ""},
                {"", 2, ""},
                {" --simulate p36e51 --instrument 'USB: QX3SIM0001' --from-instrument", 0, ""}});
    EXPECT_TRUE(fs::exists(dir.path / "RamSetup.asm"));
}

}  // namespace
