// The simulated display (command 22) and the loader's flash faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/protocol.h"
#include "sim/display_nvram.h"
#include "sim/flash_file.h"
#include "sim/nvram_image.h"
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

// The characters drawn at (x, y) with a font whose every glyph has its own code as its top row:
// the top row's eight pixels of each cell.
std::string codesAt(const std::vector<std::uint8_t>& m, std::size_t plane, int x, int y,
                    std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        int code = 0;
        for (int c = 0; c < 8; ++c)
            code = code << 1 | bit(m, plane, x + 8 * static_cast<int>(i) + c, y);
        s += static_cast<char>(code);
    }
    return s;
}

// An image as the format procedure leaves it: a font, a text table, menu records, one job.
struct Image {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(4000 - 46, 0);
    sim::ImageHeader header;
    void put(std::uint32_t a, std::uint8_t v) { bytes[a - 46] = v; }
    void word(std::uint32_t a, std::uint32_t v) {
        put(a, static_cast<std::uint8_t>(v));
        put(a + 1, static_cast<std::uint8_t>(v >> 8));
    }
    void text(std::uint32_t a, const std::string& t) {
        put(a, static_cast<std::uint8_t>(t.size()));
        for (std::size_t i = 0; i < t.size(); ++i)
            put(a + 1 + static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(t[i]));
    }
};

Image selfNamingImage(const sim::Profile& p) {
    Image im;
    im.header.font8x10 = 1000;
    im.header.font6x6 = 1000 + 1230;
    for (std::uint32_t code = 0; code < 123; ++code)
        im.put(1000 + 10 * code, static_cast<std::uint8_t>(code));
    im.text(106, "Pressa 7");
    // Text slots 1 .. 4; slots 3 and 4 name the job and phase lines.
    im.header.textTable = 2300;
    const char* slots[] = {"Forza", "Quota", "Lavoro", "Fase"};
    for (std::uint32_t i = 0; i < 4; ++i) {
        im.word(2300 + 2 * i, 2400 + 20 * i);
        im.text(2400 + 20 * i, slots[i]);
    }
    im.text(2500, "Misura");
    // Menus 1 .. 3: one line; "Lavoro" and the job name; "Fase" and the phase name.
    im.header.menu = 2600;
    const std::uint16_t lines[3][3] = {{2500, 0, 0}, {2440, 65521, 0}, {2460, 65522, 0}};
    for (std::uint32_t m = 0; m < 3; ++m) {
        im.put(2600 + 9 * m, m == 0 ? 1 : 2);
        for (std::uint32_t l = 0; l < 3; ++l) im.word(2600 + 9 * m + 3 + 2 * l, lines[m][l]);
    }
    im.header.jobAddress = 3000;
    im.text(3000, "TUBO-A");
    im.text(3000 + sim::jobGeometry(p).header, "PIEGA");
    im.header.endOfJobMemory = 400000;
    return im;
}

}  // namespace

TEST(SimDisplay, ReadsAnswerTheChunkFromTheTwoByteAddress) {
    sim::SimInstrument in(*sim::findProfile("p36e51"));
    const auto memory = sim::renderDisplay(in);
    // The chunk size, the address, the bytes answered.
    for (const auto& [chunk, address, answered] :
         {std::tuple(40, 0, 40), std::tuple(49, 9728, 49), std::tuple(40, 26776, 40),
          std::tuple(40, 29184 - 8, 8), std::tuple(40, 29184, 0), std::tuple(1, 100, 1)}) {
        in.setDisplayChunk(static_cast<std::size_t>(chunk));
        const auto a =
            ask(in, platform::cmd::ReadDisplayMemory,
                {static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8)});
        EXPECT_EQ(a, platform::Bytes(memory.begin() + address, memory.begin() + address + answered))
            << address;
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
    // K's top-left and bottom-right pixels, and nothing else: every other glyph is blank.
    std::vector<std::pair<int, int>> set;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (bit(m, 0, x, y)) set.emplace_back(x - sim::kNameX, y - sim::kNameY);
    EXPECT_EQ(set, (std::vector<std::pair<int, int>>{{0, 0}, {7, 9}}));
    for (int x : {0, 100, 319})
        EXPECT_TRUE(bit(m, 9728, x, 120) && bit(m, 19456, x, 183) && !bit(m, 19456, x, 182)) << x;
    // The job line follows the instrument's current job.
    in.setDisplayFont({});
    in.setCurrentJob(7);
    const auto filled = sim::renderDisplay(in);
    EXPECT_TRUE(bit(filled, 0, sim::kJobX + 4 * 8, sim::kJobY));   // "JOB 7": the cell of "7"
    EXPECT_FALSE(bit(filled, 0, sim::kJobX + 3 * 8, sim::kJobY));  // the blank
}

TEST(SimDisplay, AnInstrumentFormattedWithAnImageDrawsWithTheFontTextsAndMenusItHolds) {
    const sim::Profile& p = *sim::findProfile("p36e51");
    sim::SimInstrument in(p);
    // Formatted without an image: no font, texts or menus in NVRAM.
    EXPECT_FALSE(sim::nvramFont(in.nvram()) || sim::nvramText(in.nvram(), 3) ||
                 sim::nvramMenu(in.nvram(), 1));
    Image im = selfNamingImage(p);
    ASSERT_TRUE(sim::loadImage(p, in.nvram(), im.bytes, im.header));
    in.setDisplayFont(sim::DisplayFont(123, sim::Glyph{0xFF}));  // the fallback is not used
    in.setCurrentJob(1);
    const auto m = sim::renderDisplay(in);
    EXPECT_EQ(codesAt(m, 0, sim::kNameX, sim::kNameY, 9), std::string("Pressa 7") + '\0');
    EXPECT_EQ(codesAt(m, 0, sim::kJobX, sim::kJobY, 8), "Lavoro 1");
    EXPECT_EQ(codesAt(m, 0, sim::kPhaseX, sim::kPhaseY, 6), "Fase 1");
    const std::size_t c = 19456;
    EXPECT_EQ(codesAt(m, c, sim::menuLineX(0, 6), sim::menuLineY(0), 6), "Misura");
    EXPECT_EQ(codesAt(m, c, sim::menuLineX(1, 6), sim::menuLineY(0), 6), "Lavoro");
    EXPECT_EQ(codesAt(m, c, sim::menuLineX(1, 6), sim::menuLineY(1), 6), "TUBO-A");
    EXPECT_EQ(codesAt(m, c, sim::menuLineX(2, 4), sim::menuLineY(0), 4), "Fase");
    EXPECT_EQ(codesAt(m, c, sim::menuLineX(2, 5), sim::menuLineY(1), 5), "PIEGA");
    // Nothing else in the menu rows but the keys' frame.
    EXPECT_EQ(codesAt(m, c, sim::menuLineX(0, 6), sim::menuLineY(1), 6), std::string(6, '\0'));
    EXPECT_TRUE(bit(m, c, 107, sim::kMenuTop + 1));

    // Job 2 has no name in the image: the key shows the word alone.
    in.setCurrentJob(2);
    const auto second = sim::renderDisplay(in);
    EXPECT_EQ(codesAt(second, 0, sim::kJobX, sim::kJobY, 8), "Lavoro 2");
    EXPECT_EQ(codesAt(second, c, sim::menuLineX(1, 6), sim::menuLineY(1), 6), std::string(6, '\0'));

    // The NVRAM font needs the font mark and a pointer.
    const auto font = sim::nvramFont(in.nvram());
    ASSERT_TRUE(font);
    EXPECT_EQ(std::pair(font->size(), int((*font)['A'][0])), std::pair(std::size_t{123}, int('A')));
    in.nvram()[0] = 'X';  // the fonts were never sent
    EXPECT_FALSE(sim::nvramFont(in.nvram()));
    in.nvram()[0] = 'F';
    in.nvram()[14] = in.nvram()[15] = 0;  // no 6x6 font after it: the whole table
    EXPECT_EQ(sim::nvramFont(in.nvram())->size(), 123u);
    EXPECT_FALSE(sim::countedText(in.nvram(), static_cast<std::uint32_t>(in.nvram().size())));
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
    ASSERT_TRUE(good && good->size() == 2u);
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
    for (int flash8 : {0xFF, 1}) {
        EXPECT_EQ(ask(in, platform::cmd::WriteFlashBlock, block), platform::Bytes{1});
        EXPECT_EQ(in.flash()[8], flash8);
    }
    EXPECT_EQ(in.flashPrograms(), 2);
    // A stuck loader stays in update mode when byte 11 says otherwise.
    const std::uint8_t format = in.nvram()[11];
    for (const auto& [byte11, stuck, active] :
         {std::tuple(format | 0x80, false, true), std::tuple(+format, true, true),
          std::tuple(+format, false, false)}) {
        in.nvram()[11] = static_cast<std::uint8_t>(byte11);
        in.setLoaderStuck(stuck);
        in.restart({});
        EXPECT_EQ(in.loaderActive(), active) << byte11 << " " << stuck;
    }
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
