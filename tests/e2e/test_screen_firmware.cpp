// The screen copy and the firmware update through krnctl and krnsim on a pseudo-terminal: the
// picture of the simulated display shows the instrument's name in the font it was given, and a
// firmware file goes into the loader's flash and verifies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "e2e/programs.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

std::vector<unsigned char> bytesOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const std::vector<unsigned char>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

struct Folder {
    Folder() : path(fs::temp_directory_path() / ("krn-e2e-screen-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

// The 8x10 font file: 10 row bytes a character.
std::vector<int> fontRows() {
    std::ifstream in(fs::path(KRN_DATA_DIR) / "Font8x10.asm");
    std::vector<int> rows;
    for (int v; in >> v;) rows.push_back(v);
    return rows;
}

}  // namespace

TEST(ScreenCopyE2E, ThePictureShowsTheInstrumentNameInItsFont) {
    const std::string font = (fs::path(KRN_DATA_DIR) / "Font8x10.asm").string();
    Krnsim sim({"--profile", "p36e51", "--serial", "--font", font});
    Folder folder;
    const std::string k = krnctl + " --folder " + folder.path.string() +
                          " --instrument 'COM: " + sim.value("serial") + "' ";
    const fs::path bmp = folder.path / "screen.bmp";
    Result r = run(k + "screen -o " + bmp.string());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const auto b = bytesOf(bmp);
    ASSERT_EQ(b.size(), 54u + 332 * 252 * 3);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le(b, 2, 4), b.size());
    EXPECT_EQ(le(b, 18, 4), 332u);
    EXPECT_EQ(le(b, 22, 4), 252u);
    EXPECT_EQ(le(b, 28, 2), 24u);
    auto black = [&](int x, int y) {
        const std::size_t at =
            54 + static_cast<std::size_t>(251 - y) * 332 * 3 + static_cast<std::size_t>(x) * 3;
        return b[at] == 0 && b[at + 1] == 0 && b[at + 2] == 0;
    };
    // "KRN-36" from display pixel (8, 8), drawn 4 pixels into the picture.
    const std::string name = "KRN-36";
    const auto rows = fontRows();
    ASSERT_EQ(rows.size(), 1230u);
    int set = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool expected =
                    (rows[static_cast<std::size_t>(name[i]) * 10 + static_cast<std::size_t>(y)] >>
                     (7 - x)) &
                    1;
                EXPECT_EQ(black(4 + 8 + static_cast<int>(i) * 8 + x, 4 + 8 + y), expected)
                    << name[i] << " " << x << "," << y;
                set += expected;
            }
    EXPECT_GT(set, 40);
    // The grey frame above the screen.
    const std::size_t top = 54 + static_cast<std::size_t>(251) * 332 * 3;
    EXPECT_EQ(b[top], 192);

    // The menu layer as PNG.
    const fs::path png = folder.path / "menu.png";
    Result m = run(k + "--json screen --menu -o " + png.string());
    ASSERT_EQ(m.exitCode, 0) << m.out;
    EXPECT_NE(m.out.find("\"Altezza\":61"), std::string::npos) << m.out;
    const auto p = bytesOf(png);
    ASSERT_GT(p.size(), 8u);
    EXPECT_EQ(std::string(p.begin() + 1, p.begin() + 4), "PNG");

    EXPECT_EQ(run(k + "screen -o " + (folder.path / "x.gif").string()).exitCode, 2);
}

TEST(ScreenCopyE2E, AnInstrumentThatCannotBeReachedShowsTheBox) {
    Folder folder;
    Result r = run(krnctl + " --folder " + folder.path.string() +
                   " --instrument 'IP: 127.0.0.1' screen -o " + (folder.path / "s.bmp").string());
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Non è possibile comunicare con lo strumento."), std::string::npos)
        << r.out;
    EXPECT_FALSE(fs::exists(folder.path / "s.bmp"));
}

TEST(FirmwareE2E, AnUpdateWritesTheFileIntoTheLoadersFlashAndVerifies) {
    const fs::path data = KRN_FIRMWARE_DIR;
    Folder folder;
    fs::copy_file(data / "blockKRNV1.asm", folder.path / "blockKRNV1.asm");
    fs::copy_file(data / "blockKRNV0.asm", folder.path / "blockKRNV0.asm");
    // The loader blocks are in place already: only the firmware is written, one restart.
    Krnsim sim({"--profile", "loader", "--serial", "--restart-ms", "500", "--flash",
                (data / "blockKRNV1.asm").string(), "--flash", (data / "blockKRNV0.asm").string()});
    const std::string k = krnctl + " --folder " + folder.path.string() +
                          " --instrument 'COM: " + sim.value("serial") + "' ";
    const std::string sample = (data / "sample.atm").string();
    Result before = run(k + "firmware verify " + sample);
    EXPECT_EQ(before.exitCode, 1) << before.out;
    EXPECT_EQ(before.out, "differs at 0x001000\n");
    Result u = run(k + "--yes firmware update " + sample);
    ASSERT_EQ(u.exitCode, 0) << u.out;
    EXPECT_NE(u.out.find("Update sucessfully"), std::string::npos) << u.out;
    EXPECT_NE(u.out.find("Do you wont to update?"), std::string::npos) << u.out;
    Result after = run(k + "firmware verify " + sample);
    EXPECT_EQ(after.exitCode, 0) << after.out;
    EXPECT_EQ(after.out, "identical\n");
    // Without --yes nothing is written.
    Result refused = run(k + "firmware update " + sample + " < /dev/null");
    EXPECT_EQ(refused.exitCode, 3) << refused.out;
}
