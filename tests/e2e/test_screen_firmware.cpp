// The screen copy and the firmware update through krnctl and krnsim on a pseudo-terminal: the
// picture of the simulated display shows the instrument's name in the font it was given, or
// its texts in the font of the image it was formatted with, and a firmware file goes into the
// loader's flash and verifies.
#include <cstring>
#include <vector>

#include "e2e/programs.h"
#include "sim/nvram_file.h"
#include "sim/sim_display.h"
#include "support/formatted_image.h"
#include "support/image_folder.h"

namespace {

using namespace e2e;

std::vector<unsigned char> bytesOf(const fs::path& p) {
    const std::string s = slurp(p);
    return {s.begin(), s.end()};
}

std::uint32_t le(const std::vector<unsigned char>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

// The 8x10 font file: 10 row bytes a character.
std::vector<int> fontRows() {
    std::ifstream in(fs::path(KRN_DATA_DIR) / "Font8x10.asm");
    std::vector<int> rows;
    for (int v; in >> v;) rows.push_back(v);
    return rows;
}

// A 24-bit bitmap of the screen copy, 332 pixels wide: the screen (252 rows, the display 4
// pixels in) or the menu (61 rows, display row 183 at the top, 4 pixels in).
struct Picture {
    std::vector<unsigned char> b;
    int height = 252;
    int top = 4;  // picture row of display row 0
    bool black(int x, int y) const {
        const std::size_t at = 54 + static_cast<std::size_t>(height - 1 - y) * 332 * 3 +
                               static_cast<std::size_t>(x) * 3;
        return b[at] == 0 && b[at + 1] == 0 && b[at + 2] == 0;
    }
    // The text at display pixel (x, y) is the text drawn in the font file's glyphs: every pixel
    // of its cells as the font says. Returns the number of black pixels expected.
    int expectText(const std::string& text, int x0, int y0) const {
        static const std::vector<int> rows = fontRows();
        EXPECT_EQ(rows.size(), 1230u);
        int set = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 8; ++x) {
                    const auto code = static_cast<unsigned char>(text[i]);
                    const bool expected =
                        (rows[code * 10u + static_cast<std::size_t>(y)] >> (7 - x)) & 1;
                    EXPECT_EQ(black(4 + x0 + static_cast<int>(i) * 8 + x, top + y0 + y), expected)
                        << text << ": " << text[i] << " " << x << "," << y;
                    set += expected;
                }
        return set;
    }
};

}  // namespace

TEST(ScreenCopyE2E, ThePictureShowsTheInstrumentNameInItsFont) {
    const std::string font = (fs::path(KRN_DATA_DIR) / "Font8x10.asm").string();
    Krnsim sim({"--profile", "p36e51", "--serial", "--font", font});
    TempFolder folder("krn-e2e-screen");
    const std::string k = krnctlOn("COM: " + sim.value("serial"), folder.str());
    const fs::path bmp = folder.path / "screen.bmp";
    Result r = run(k + "screen -o " + bmp.string());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const auto b = bytesOf(bmp);
    ASSERT_EQ(b.size(), 54u + 332 * 252 * 3);
    EXPECT_EQ(
        (std::vector<std::uint32_t>{b[0], b[1], le(b, 2, 4), le(b, 18, 4), le(b, 22, 4),
                                    le(b, 28, 2)}),
        (std::vector<std::uint32_t>{'B', 'M', static_cast<std::uint32_t>(b.size()), 332, 252, 24}));
    // "KRN-36" from display pixel (8, 8).
    EXPECT_GT(Picture{b}.expectText("KRN-36", sim::kNameX, sim::kNameY), 40);
    // The grey frame above the screen.
    const std::size_t top = 54 + static_cast<std::size_t>(251) * 332 * 3;
    EXPECT_EQ(b[top], 192);

    // The menu layer as PNG.
    const fs::path png = folder.path / "menu.png";
    Result m = run(k + "--json screen --menu -o " + png.string());
    ASSERT_EQ(m.exitCode, 0) << m.out;
    EXPECT_THAT(m.out, HasSubstr("\"Altezza\":61"));
    const auto p = bytesOf(png);
    ASSERT_GT(p.size(), 8u);
    EXPECT_EQ(std::string(p.begin() + 1, p.begin() + 4), "PNG");

    EXPECT_EQ(run(k + "screen -o " + (folder.path / "x.gif").string()).exitCode, 2);
}

// An instrument formatted with an image built from a profile in Italian: the display draws with
// the image's font and shows the name, the job and phase lines and the first three menu keys in
// that language. The simulator is given no font of its own.
TEST(ScreenCopyE2E, AnInstrumentFormattedWithAnImageShowsItsTextsInTheChosenLanguage) {
    TempFolder folder("krn-e2e-screen");
    const fs::path nvram = folder.path / "nvram.bin";
    {
        testing_support::ImageFolder images("screen");
        images.shipped();
        testing_support::InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        provisioning::CProfilo profilo;
        profilo.Inizializza();
        profilo.Lingua1 = provisioning::LItaliano;
        profilo.Lingua2 = provisioning::LInglese;
        const auto f = testing_support::formatWithImage(rig, images.path(), profilo);
        ASSERT_TRUE(f.loaded) << f.image.avviso << f.image.erroreFile;
        ASSERT_TRUE(sim::saveNvram(nvram.string(), rig.instrument.nvram()));
    }
    Krnsim sim({"--profile", "p36e51", "--serial", "--nvram", nvram.string()});
    const std::string k = krnctlOn("COM: " + sim.value("serial"), folder.str());
    const fs::path bmp = folder.path / "screen.bmp";
    Result r = run(k + "screen -o " + bmp.string());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const Picture picture{bytesOf(bmp)};
    ASSERT_EQ(picture.b.size(), 54u + 332 * 252 * 3);
    EXPECT_GT(picture.expectText("KRN Visual", sim::kNameX, sim::kNameY), 40);
    EXPECT_GT(picture.expectText("Lavoro 1", sim::kJobX, sim::kJobY), 40);
    EXPECT_GT(picture.expectText("Fase 1", sim::kPhaseX, sim::kPhaseY), 30);
    // Menus 1 .. 3 of the Italian menu file; the job of a fresh format has no name yet.
    const struct {
        int key;
        const char* text;
    } keys[] = {{0, "Misura"}, {1, "Lavoro"}, {2, "Fase"}};
    for (const auto& key : keys)
        EXPECT_GT(picture.expectText(key.text, sim::menuLineX(key.key, std::strlen(key.text)),
                                     sim::menuLineY(0)),
                  20);
    EXPECT_EQ(picture.expectText("      ", sim::menuLineX(1, 6), sim::menuLineY(1)), 0);

    // "Copy menu" shows the same keys.
    const fs::path menu = folder.path / "menu.bmp";
    Result m = run(k + "screen --menu -o " + menu.string());
    ASSERT_EQ(m.exitCode, 0) << m.out;
    const Picture menuPicture{bytesOf(menu), 61, -sim::kMenuTop};
    ASSERT_EQ(menuPicture.b.size(), 54u + 332 * 61 * 3);
    for (const auto& key : keys)
        EXPECT_GT(menuPicture.expectText(key.text, sim::menuLineX(key.key, std::strlen(key.text)),
                                         sim::menuLineY(0)),
                  20);
}

TEST(ScreenCopyE2E, AnInstrumentThatCannotBeReachedShowsTheBox) {
    TempFolder folder("krn-e2e-screen");
    Result r =
        run(krnctlOn("COM: /dev/null/none", folder.str()) + "screen -o " + (folder / "s.bmp"));
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Non è possibile comunicare con lo strumento."));
    EXPECT_FALSE(fs::exists(folder.path / "s.bmp"));
}

TEST(FirmwareE2E, AnUpdateWritesTheFileIntoTheLoadersFlashAndVerifies) {
    const fs::path data = KRN_FIRMWARE_DIR;
    TempFolder folder("krn-e2e-firmware");
    fs::copy_file(data / "blockKRNV1.asm", folder.path / "blockKRNV1.asm");
    fs::copy_file(data / "blockKRNV0.asm", folder.path / "blockKRNV0.asm");
    // The loader blocks are in place already: only the firmware is written, one restart.
    Krnsim sim({"--profile", "loader", "--serial", "--restart-ms", "500", "--flash",
                (data / "blockKRNV1.asm").string(), "--flash", (data / "blockKRNV0.asm").string()});
    const std::string k = krnctlOn("COM: " + sim.value("serial"), folder.str());
    const std::string sample = (data / "sample.atm").string();
    expectRuns(k, {{"firmware verify " + sample, 1,
                    "differs at 0x001000\nkrnctl: firmware verify failed (the instrument or the "
                    "link); nothing was written (the flash was only compared): run krnctl firmware "
                    "update FILE where the flash should hold FILE.\n"}});
    Result u = run(k + "--yes firmware update " + sample);
    ASSERT_EQ(u.exitCode, 0) << u.out;
    EXPECT_THAT(u.out, HasSubstr("Update sucessfully"));
    EXPECT_THAT(u.out, HasSubstr("Do you wont to update?"));
    // Without --yes nothing is written.
    expectRuns(k, {{"firmware verify " + sample, 0, "identical\n"},
                   {"firmware update " + sample + " < /dev/null", 3, ""}});
}

// An NVRAM of another format number: update mode for the configuration read, but the firmware
// runs, so "on" is not refused as already done: it takes the instrument into its loader.
TEST(FirmwareE2E, UpdateModeOnTakesAnInstrumentWithAnotherNvramFormatIntoItsLoader) {
    Krnsim sim({"--profile", "wrongformat", "--serial", "--restart-ms", "300"});
    const std::string k = krnctlOn("COM: " + sim.value("serial"));
    expectRuns(k, {{"update-mode off", 3,
                    "krnctl: the instrument is already out of update mode\nkrnctl: update-mode "
                    "was refused or cancelled; the instrument may still be in its former mode: run "
                    "krnctl update-mode again.\n"},
                   {"update-mode on", 0, "update mode on\n"}});
    EXPECT_THAT(run(k + "--json identify").out, HasSubstr("\"stato\":0,\"UpdateMode\":true"));
}
