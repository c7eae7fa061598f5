// The screen copy and the firmware update through krnctl and krnsim on a pseudo-terminal: the
// picture of the simulated display as a bitmap and as PNG (the drawing itself is the simulator's
// and the screen copy's own tests), and a firmware file goes into the loader's flash and verifies.
#include "e2e/programs.h"
#include "sim/nvram_file.h"
#include "sim/sim_display.h"
#include "support/formatted_image.h"
#include "support/image_folder.h"

namespace {

using namespace e2e;

std::uint32_t le(const std::string& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

// The black pixels of a row (counted from the top) of a 24-bit bitmap 332 pixels wide.
int blackIn(const std::string& b, int height, int y) {
    const std::string row =
        b.substr(54 + static_cast<std::size_t>(height - 1 - y) * 332 * 3, 332 * 3);
    int n = 0;
    for (std::size_t x = 0; x + 2 < row.size(); x += 3) n += row.compare(x, 3, "\0\0\0", 3) == 0;
    return n;
}

}  // namespace

TEST(ScreenCopyE2E, ThePictureShowsTheInstrumentNameInItsFont) {
    const std::string font = (fs::path(KRN_DATA_DIR) / "Font8x10.asm").string();
    Krnsim sim({"--profile", "p36e51", "--serial", "--font", font});
    TempFolder folder("krn-e2e-screen");
    const std::string k = krnctlOn("COM: " + sim.value("serial"), folder.str());
    const fs::path bmp = folder.path / "screen.bmp";
    Result r = run(k + "screen -o " + bmp.string());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::string b = slurp(bmp);
    ASSERT_EQ(b.size(), 54u + 332 * 252 * 3);
    EXPECT_EQ((std::vector<std::uint32_t>{le(b, 0, 2), le(b, 2, 4), le(b, 18, 4), le(b, 22, 4),
                                          le(b, 28, 2)}),
              (std::vector<std::uint32_t>{'M' << 8 | 'B', static_cast<std::uint32_t>(b.size()), 332,
                                          252, 24}));
    // "KRN-36" in the font's glyphs: black pixels in the name's row of the picture.
    const std::size_t nameRow = 54 + (251 - 4 - sim::kNameY - 5) * 332 * 3;
    EXPECT_NE(b.substr(nameRow, 332 * 3).find(std::string(3, '\0')), std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(b[54 + 251 * 332 * 3]), 192);  // the grey frame on top
    // The menu layer as PNG.
    const fs::path png = folder.path / "menu.png";
    Result m = run(k + "--json screen --menu -o " + png.string());
    ASSERT_EQ(m.exitCode, 0) << m.out;
    EXPECT_THAT(m.out, HasSubstr("\"Altezza\":61"));
    EXPECT_EQ(slurp(png).substr(0, 8), "\x89PNG\r\n\x1a\n");

    EXPECT_EQ(run(k + "screen -o " + (folder.path / "x.gif").string()).exitCode, 2);
}

// An instrument formatted with an image and given no font of its own draws its name, job line and
// menu keys with the image's font.
TEST(ScreenCopyE2E, AnInstrumentFormattedWithAnImageDrawsWithItsFont) {
    TempFolder folder("krn-e2e-screen");
    const std::string nvram = folder / "nvram.bin";
    {
        testing_support::ImageFolder images("screen");
        images.shipped();
        testing_support::InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        provisioning::CProfilo profilo;
        profilo.Inizializza();
        const auto f = testing_support::formatWithImage(rig, images.path(), profilo);
        ASSERT_TRUE(f.loaded) << f.image.avviso << f.image.erroreFile;
        ASSERT_TRUE(sim::saveNvram(nvram, rig.instrument.nvram()));
    }
    Krnsim sim({"--profile", "p36e51", "--serial", "--nvram", nvram});
    const std::string k = krnctlOn("COM: " + sim.value("serial"), folder.str());
    ASSERT_EQ(run(k + "screen -o " + (folder / "s.bmp")).exitCode, 0);
    ASSERT_EQ(run(k + "screen --menu -o " + (folder / "m.bmp")).exitCode, 0);
    const std::string screen = slurp(folder / "s.bmp"), menu = slurp(folder / "m.bmp");
    // The screen's display starts 4 rows down; the menu's picture starts at the menu's top.
    for (const int y : {sim::kNameY, sim::kJobY}) EXPECT_GT(blackIn(screen, 252, 4 + y + 5), 10);
    EXPECT_GT(blackIn(menu, 61, sim::menuLineY(0) - sim::kMenuTop + 5), 10);
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
