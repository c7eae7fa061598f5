// The simulated display (command 22) and the loader's flash faults.
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

bool bit(const std::vector<std::uint8_t>& m, std::size_t plane, int x, int y) {
    return (m[plane + static_cast<std::size_t>(y) * 40 + static_cast<std::size_t>(x / 8)] >>
            (7 - x % 8)) &
           1;
}

}  // namespace

TEST(SimDisplay, ReadsAnswerTheChunkFromTheTwoByteAddress) {
    sim::SimInstrument in(*sim::findProfile("p36e51"));
    const auto memory = sim::renderDisplay(in);
    struct Case {
        std::size_t chunk;
        std::size_t address;
        std::size_t answered;
    };
    for (const Case& c : {Case{40, 0, 40}, Case{49, 9728, 49}, Case{40, 26776, 40},
                          Case{40, 29184 - 8, 8}, Case{40, 29184, 0}, Case{1, 100, 1}}) {
        in.setDisplayChunk(c.chunk);
        const auto a =
            ask(in, platform::cmd::ReadDisplayMemory,
                {static_cast<std::uint8_t>(c.address), static_cast<std::uint8_t>(c.address >> 8)});
        ASSERT_EQ(a.size(), c.answered) << c.address;
        for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], memory[c.address + i]);
    }
    EXPECT_TRUE(
        ask(in, platform::cmd::ReadDisplayMemory, {0, 0, 0}).empty());  // three address bytes
}

TEST(SimDisplay, TheNameAndJobAreDrawnInTheGivenFontAndTheMenuLayerAtTheBottom) {
    sim::SimInstrument in(*sim::findProfile("p36e51"));
    sim::DisplayFont font(123, sim::Glyph{});
    font['K'] = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x01};
    in.setDisplayFont(font);
    const auto m = sim::renderDisplay(in);
    EXPECT_TRUE(bit(m, 0, sim::kNameX, sim::kNameY));          // K's top-left pixel
    EXPECT_TRUE(bit(m, 0, sim::kNameX + 7, sim::kNameY + 9));  // and its bottom-right one
    EXPECT_FALSE(bit(m, 0, sim::kNameX + 1, sim::kNameY));
    int setA = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) setA += bit(m, 0, x, y);
    EXPECT_EQ(setA, 2);  // every other glyph of the font is blank
    for (int x : {0, 100, 319}) {
        EXPECT_TRUE(bit(m, 9728, x, 120));
        EXPECT_TRUE(bit(m, 19456, x, 183));
        EXPECT_FALSE(bit(m, 19456, x, 182));
    }
    // The job line follows the instrument's current job.
    in.setDisplayFont({});
    in.setCurrentJob(7);
    const auto filled = sim::renderDisplay(in);
    EXPECT_TRUE(bit(filled, 0, sim::kJobX + 4 * 8, sim::kJobY));   // "JOB 7": the cell of "7"
    EXPECT_FALSE(bit(filled, 0, sim::kJobX + 3 * 8, sim::kJobY));  // the blank
}

TEST(SimDisplay, FontFilesAreReadWholeOrNotAtAll) {
    const auto dir = std::filesystem::temp_directory_path() / "krn_sim_font";
    std::filesystem::create_directories(dir);
    const auto write = [&](const std::string& text) {
        std::ofstream(dir / "f.asm", std::ios::binary) << text;
        return sim::loadDisplayFont((dir / "f.asm").string());
    };
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += std::to_string(i * 12) + "\r\n";
    const auto good = write(twenty);
    ASSERT_TRUE(good);
    ASSERT_EQ(good->size(), 2u);
    EXPECT_EQ((*good)[1][0], 120);
    EXPECT_FALSE(write("1\r\n2\r\n"));        // not a whole character
    EXPECT_FALSE(write(twenty + "256\r\n"));  // not a byte
    EXPECT_FALSE(write("a\r\n"));
    EXPECT_FALSE(sim::loadDisplayFont((dir / "missing").string()));
    std::filesystem::remove_all(dir);
}

TEST(SimLoader, FaultsAndTheKeyedFlashFile) {
    sim::SimInstrument in(*sim::findProfile("p36e51"));
    // A bad program is confirmed and leaves the flash as it was; the next one programs.
    in.setBadFlashPrograms(1);
    const platform::Bytes block = {8, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(ask(in, platform::cmd::WriteFlashBlock, block), platform::Bytes{1});
    EXPECT_EQ(in.flash()[8], 0xFF);
    EXPECT_EQ(ask(in, platform::cmd::WriteFlashBlock, block), platform::Bytes{1});
    EXPECT_EQ(in.flash()[8], 1);
    EXPECT_EQ(in.flashPrograms(), 2);
    // A stuck loader stays in update mode when byte 11 says otherwise.
    in.nvram()[11] |= 0x80;
    in.restart({});
    EXPECT_TRUE(in.loaderActive());
    in.setLoaderStuck(true);
    in.nvram()[11] &= 0x7F;
    in.restart({});
    EXPECT_TRUE(in.loaderActive());
    in.setLoaderStuck(false);
    in.restart({});
    EXPECT_FALSE(in.loaderActive());
    // A firmware file loaded into the flash reads back as its values.
    const auto path = std::filesystem::temp_directory_path() / "krn_sim_flash.atm";
    std::ofstream(path, std::ios::binary) << "64:18:52\r\n";
    ASSERT_TRUE(sim::loadFlashRecords(path.string(), in.flash()));
    EXPECT_EQ(ask(in, platform::cmd::ReadFlash, {64, 0, 0}), platform::Bytes{18});
    EXPECT_EQ(ask(in, platform::cmd::ReadFlash, {65, 0, 0}), platform::Bytes{52});
    std::ofstream(path, std::ios::binary) << "1048575:1:2\r\n";
    EXPECT_FALSE(sim::loadFlashRecords(path.string(), in.flash()));
    std::filesystem::remove(path);
}
