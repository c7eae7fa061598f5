// The font builder on synthetic glyphs: scanning, row bytes, the 8x11 compression, character
// counts and order; the preferences' keys.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <tuple>

#include "platform/settings_store.h"
#include "resources/display_charset.h"
#include "resources/font_builder.h"

using resources::FontFormat;

namespace {

// A surface that records the drawing and "draws" a character as given rows of pixels; a pixel
// never drawn is white.
struct SyntheticRenderer final : platform::GlyphRenderer {
    bool selectFont(const platform::FontChoice& f) override {
        chosen = f;
        return true;
    }
    std::string actualFamily() const override { return chosen.family; }
    void clear(int, int) override { pixels.clear(), drawn.clear(); }
    void drawFrame(int left, int top, int right, int bottom) override {
        frames.push_back({left, top, right, bottom});
        for (int x = left; x <= right; ++x) pixels[{x, top}] = pixels[{x, bottom}] = 0;
        for (int y = top; y <= bottom; ++y) pixels[{left, y}] = pixels[{right, y}] = 0;
    }
    void drawCharacter(int x, int y, unsigned char c) override {
        drawn.push_back({x, y, c});
        const std::vector<std::uint8_t>& rows = glyphs[c];
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (int col = 0; col < 8; ++col)
                if (rows[r] & (0x80 >> col)) pixels[{x + col, y + static_cast<int>(r)}] = ink;
    }
    long colour(int x, int y) const override {
        const auto it = pixels.find({x, y});
        return it == pixels.end() ? 0xFFFFFF : it->second;
    }
    struct Drawn {
        int x, y;
        unsigned char c;
    };
    platform::FontChoice chosen;
    std::map<std::pair<int, int>, long> pixels;
    std::vector<Drawn> drawn;
    std::vector<std::array<int, 4>> frames;
    std::map<unsigned char, std::vector<std::uint8_t>> glyphs;  // rows, leftmost pixel in bit 7
    long ink = 0;
};

resources::FontSettings noOffsets() {
    return {"Test", false, false, 8, 0, 0};
}

TEST(FontBuilder, CharacterCountsOrderAndCells) {
    SyntheticRenderer r;
    resources::FontSettings font = noOffsets();
    font.xOffset = 1;
    font.yOffset = -3;
    resources::buildFont(r, FontFormat::F6x6, font);
    std::string digits;
    for (const auto& d : r.drawn) digits += static_cast<char>(d.c);
    EXPECT_EQ(digits, "0123456789 .");
    EXPECT_EQ(std::tuple(r.drawn[2].x, r.drawn[2].y), std::tuple(8 + 2 * 7 + 1, 100 - 3));
    EXPECT_EQ(r.frames[0], (std::array<int, 4>{7, 99, 14, 107}));

    resources::buildFont(r, FontFormat::F8x10, noOffsets());
    ASSERT_EQ(r.drawn.size(), 123u);
    for (int i = 0; i < 123; ++i)
        EXPECT_EQ(r.drawn[static_cast<std::size_t>(i)].c, resources::windowsCharacter(i)) << i;
    EXPECT_EQ(r.drawn[15].c, 237);  // í, not ¡
    EXPECT_EQ(r.drawn[65].c, 'A');
    EXPECT_EQ(std::tuple(r.drawn[62].x, r.drawn[62].y), std::tuple(8 + 62 * 9, 100));
    EXPECT_EQ(std::tuple(r.drawn[63].x, r.drawn[63].y), std::tuple(8, 140));
}

TEST(FontBuilder, RowsAreReadMostSignificantBitFirstBelowTheDarkThreshold) {
    SyntheticRenderer r;
    r.glyphs['A'] = {0x80, 0x01, 0xFF, 0x3C};
    r.glyphs['0'] = {0xFC, 0x84};
    const auto wide = resources::buildFont(r, FontFormat::F8x10, noOffsets());
    EXPECT_EQ(wide[65], (std::vector<std::uint8_t>{0x80, 0x01, 0xFF, 0x3C, 0, 0, 0, 0, 0, 0}));
    // Six columns are read; a seventh pixel does not count.
    r.glyphs['0'] = {0xFE, 0x84};
    const auto digits = resources::buildFont(r, FontFormat::F6x6, noOffsets());
    EXPECT_EQ(digits[0], (std::vector<std::uint8_t>{0xFC, 0x84, 0, 0, 0, 0}));
    // Grey is not dark: 999 counts, 1000 does not.
    r.ink = 999;
    EXPECT_EQ(resources::buildFont(r, FontFormat::F6x6, noOffsets())[0][0], 0xFC);
    r.ink = 1000;
    EXPECT_EQ(resources::buildFont(r, FontFormat::F6x6, noOffsets())[0][0], 0);
}

// Rows given as hexadecimal bytes separated by blanks.
std::vector<std::uint8_t> rows(const std::string& hex) {
    std::istringstream in(hex);
    std::vector<std::uint8_t> out;
    for (unsigned v = 0; in >> std::hex >> v;) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(FontBuilder, The8x11SourceIsCompressedToTenRows) {
    struct Case {
        const char* name;
        FontFormat format;
        const char* scanned;  // eleven rows
        const char* written;
    } cases[] = {
        {"one of two equal middle rows goes, the blank top row stays", FontFormat::F8x11,
         "0 10 28 44 44 7C 44 7C 44 7C FE", "0 10 28 44 7C 44 7C 44 7C FE"},
        {"the lowest pair is taken", FontFormat::F8x11, "0 10 10 44 7C 7C 44 28 44 28 FE",
         "0 10 10 44 7C 44 28 44 28 FE"},
        {"without an equal pair the blank top row goes", FontFormat::F8x11, "0 1 2 3 4 5 6 7 8 9 A",
         "1 2 3 4 5 6 7 8 9 A"},
        {"the extra row unused: rows 0..9", FontFormat::F8x11, "0 1 2 3 4 5 6 7 8 9 0",
         "0 1 2 3 4 5 6 7 8 9"},
        {"the extra row equal to the row above: rows 0..9", FontFormat::F8x11,
         "0 1 1 3 4 5 6 7 8 9 9", "0 1 1 3 4 5 6 7 8 9"},
        {"the top row used: rows 0..9", FontFormat::F8x11, "1 2 2 3 4 5 6 7 8 9 A",
         "1 2 2 3 4 5 6 7 8 9"},
        {"the 8x10 format never compresses", FontFormat::F8x10, "0 10 28 44 44 7C 44 7C 44 7C FE",
         "0 10 28 44 44 7C 44 7C 44 7C"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resources::outputRows(rows(c.scanned), c.format), rows(c.written)) << c.name;

    // The same through the drawing surface: the glyph reaches the eleventh row.
    SyntheticRenderer r;
    r.glyphs['H'] = rows(cases[0].scanned);
    EXPECT_EQ(resources::buildFont(r, FontFormat::F8x11, noOffsets())[72], rows(cases[0].written));
}

// The keys of a font are written as the registry held them; a size that is no number reads as
// the default (the defaults of the fonts not set: FontDialog.ArrowsCreateAndChiudi).
TEST(FontPreferences, TheKeysAreWrittenAndReadBackAndABadNumberTakesTheDefault) {
    platform::MemorySettingsStore store;
    resources::CPreferenze p(store);
    p.font(FontFormat::F8x11) = {"DejaVu Sans Mono", false, true, 7, 1, -1};
    p.Salva();
    std::vector<std::string> written;
    for (const std::string key : {"Name", "Bold", "Italic", "Size", "Xoffset", "Yoffset"})
        written.push_back(store.value("krnsetup", "Preferenze", "Font" + key + "8x11"));
    EXPECT_EQ(written, (std::vector<std::string>{"DejaVu Sans Mono", "0", "-1", "7", "1", "-1"}));
    const resources::FontSettings read = resources::CPreferenze(store).font(FontFormat::F8x11);
    EXPECT_EQ(std::tuple(read.name, read.italic, read.xOffset),
              std::tuple("DejaVu Sans Mono", true, 1));
    store.setValue("krnsetup", "Preferenze", "FontSize6x6", "large");
    EXPECT_EQ(resources::CPreferenze(store).font(FontFormat::F6x6).size, 6);
}

}  // namespace
