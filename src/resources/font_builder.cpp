#include "resources/font_builder.h"

#include "resources/display_charset.h"

namespace resources {
namespace {

constexpr int kCellsPerRow = 63;
constexpr int kLeft = 8;
constexpr int kTopFirst = 100;
constexpr int kTopSecond = 140;
constexpr const char kDigitSet[] = "0123456789 .";

}  // namespace

FontGeometry fontGeometry(FontFormat format) {
    if (format == FontFormat::F6x6) return {6, 6, 12, "Font6x6.asm"};
    return {8, 10, 123, "Font8x10.asm"};
}

unsigned char fontCharacter(FontFormat format, int index) {
    if (format == FontFormat::F6x6) return static_cast<unsigned char>(kDigitSet[index]);
    return windowsCharacter(index);
}

void cellOrigin(int index, int width, int& x, int& y) {
    x = kLeft + (index % kCellsPerRow) * (width + 1);
    y = index < kCellsPerRow ? kTopFirst : kTopSecond;
}

std::vector<std::uint8_t> scanCell(const GlyphRenderer& renderer, int x, int y, int width,
                                   int rows) {
    std::vector<std::uint8_t> scanned;
    for (int r = 0; r <= rows; ++r) {
        int value = 0;
        for (int c = 0; c < width; ++c)
            if (renderer.colour(x + c, y + r) < kDarkThreshold) value += 1 << (7 - c);
        scanned.push_back(static_cast<std::uint8_t>(value));
    }
    return scanned;
}

std::vector<std::uint8_t> outputRows(const std::vector<std::uint8_t>& scanned, FontFormat format) {
    const std::size_t rows = scanned.size() - 1;
    std::vector<std::uint8_t> r = scanned;
    std::size_t first = 0;
    if (format == FontFormat::F8x11 && r[0] == 0 && r[rows] != 0 && r[rows] != r[rows - 1]) {
        // The lowest pair of equal neighbours loses its upper row; the rows above move down.
        // Without such a pair the blank top row goes.
        for (std::size_t j = rows - 1; j-- > 0;) {
            if (r[j] != r[j + 1]) continue;
            for (std::size_t k = j; k > 0; --k) r[k] = r[k - 1];
            break;
        }
        first = 1;
    }
    return {r.begin() + static_cast<std::ptrdiff_t>(first),
            r.begin() + static_cast<std::ptrdiff_t>(first + rows)};
}

namespace {

template <typename Each>
void forEachCell(GlyphRenderer& renderer, FontFormat format, const FontSettings& font, Each each) {
    const FontGeometry g = fontGeometry(format);
    renderer.clear(kSurfaceWidth, kSurfaceHeight);
    for (int i = 0; i < g.count; ++i) {
        int x = 0, y = 0;
        cellOrigin(i, g.width, x, y);
        // The frame lies one pixel outside the cell and its extra scanned row.
        renderer.drawFrame(x - 1, y - 1, x + g.width, y + g.rows + 1);
        renderer.drawCharacter(x + font.xOffset, y + font.yOffset, fontCharacter(format, i));
        each(x, y, g);
    }
}

}  // namespace

platform::FontChoice fontChoice(const FontSettings& font) {
    return {font.name, font.size, font.bold, font.italic};
}

void drawFont(GlyphRenderer& renderer, FontFormat format, const FontSettings& font) {
    forEachCell(renderer, format, font, [](int, int, const FontGeometry&) {});
}

std::vector<std::vector<std::uint8_t>> buildFont(GlyphRenderer& renderer, FontFormat format,
                                                 const FontSettings& font) {
    std::vector<std::vector<std::uint8_t>> glyphs;
    forEachCell(renderer, format, font, [&](int x, int y, const FontGeometry& g) {
        glyphs.push_back(outputRows(scanCell(renderer, x, y, g.width, g.rows), format));
    });
    return glyphs;
}

std::vector<std::string> fontFileLines(const std::vector<std::vector<std::uint8_t>>& glyphs) {
    std::vector<std::string> lines;
    for (const auto& g : glyphs)
        for (std::uint8_t row : g) lines.push_back(std::to_string(row));
    return lines;
}

}  // namespace resources
