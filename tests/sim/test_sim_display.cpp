// The simulated display's font file and the loader's flash file. The screen copy tests, in
// process and of krnctl against krnsim, read the display (command 22) chunk by chunk and draw
// the name, job, phase and menu keys from the fallback font and from a formatted image.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/protocol.h"
#include "sim/flash_file.h"
#include "sim/profiles.h"
#include "sim/sim_commands.h"
#include "sim/sim_display.h"
#include "sim/sim_instrument.h"

namespace {

platform::Bytes ask(sim::SimInstrument& in, std::uint8_t code, platform::Bytes args) {
    return sim::answerCommand(in, platform::TimePoint{}, code, args)
        .value_or(platform::Bytes{0xEE});
}

}  // namespace

TEST(SimFiles, FontAndFlashFilesAreReadWholeOrNotAtAll) {
    const auto dir = std::filesystem::temp_directory_path() / "krn_sim_files";
    std::filesystem::create_directories(dir);
    const auto write = [&](const std::string& text) {
        std::ofstream(dir / "f", std::ios::binary) << text;
        return (dir / "f").string();
    };
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += std::to_string(i * 12) + "\r\n";
    const auto good = sim::loadDisplayFont(write(twenty));
    ASSERT_TRUE(good && good->size() == 2u);
    EXPECT_EQ((*good)[1][0], 120);
    for (const std::string& bad :
         {std::string("1\r\n2\r\n"), twenty + "256\r\n", std::string("a\r\n")})
        EXPECT_FALSE(sim::loadDisplayFont(write(bad))) << bad;  // not a whole character, a byte
    EXPECT_FALSE(sim::loadDisplayFont((dir / "missing").string()));
    // A firmware file loaded into the flash reads back as its values; one past the flash fails.
    sim::SimInstrument in(*sim::findProfile("p36e51"));
    ASSERT_TRUE(sim::loadFlashRecords(write("64:18:52\r\n"), in.flash()));
    EXPECT_EQ(ask(in, platform::cmd::ReadFlash, {65, 0, 0}), platform::Bytes{52});
    EXPECT_FALSE(sim::loadFlashRecords(write("1048575:1:2\r\n"), in.flash()));
    std::filesystem::remove_all(dir);
}
