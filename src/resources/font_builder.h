#pragma once
// The font builder: each character of the instrument's set is drawn with a chosen font into its
// cell of a drawing surface, read back pixel by pixel and written as one byte per row, the
// leftmost pixel in bit 7. Drawing is done by a GlyphRenderer (Qt in the programs, synthetic in
// the tests).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/glyph_renderer.h"
#include "resources/font_preferences.h"

namespace resources {

inline constexpr int kSurfaceWidth = 600;
inline constexpr int kSurfaceHeight = 170;

using platform::GlyphRenderer;

struct FontGeometry {
    int width;  // pixels
    int rows;   // rows written per character
    int count;  // characters
    const char* file;
};

FontGeometry fontGeometry(FontFormat format);
// The Windows character drawn for character number i of the format.
unsigned char fontCharacter(FontFormat format, int index);
// The top left corner of character i's cell.
void cellOrigin(int index, int width, int& x, int& y);

// Pixels darker than this colour value count as set.
inline constexpr long kDarkThreshold = 1000;

// Rows 0 .. rows (one more than is written) of the cell at (x, y).
std::vector<std::uint8_t> scanCell(const GlyphRenderer& renderer, int x, int y, int width,
                                   int rows);
// The rows written for a scanned cell (rows + 1 values): rows 0 .. rows-1, or, for the 8x11
// source, the glyph compressed to ten rows when it uses its extra bottom row.
std::vector<std::uint8_t> outputRows(const std::vector<std::uint8_t>& scanned, FontFormat format);

platform::FontChoice fontChoice(const FontSettings& font);

// Draws every character of the format (frame, then the character at its offsets): the preview.
void drawFont(GlyphRenderer& renderer, FontFormat format, const FontSettings& font);
// Draws and scans every character: its written rows, in character order.
std::vector<std::vector<std::uint8_t>> buildFont(GlyphRenderer& renderer, FontFormat format,
                                                 const FontSettings& font);
// One decimal value per line, characters in order, rows top to bottom.
std::vector<std::string> fontFileLines(const std::vector<std::vector<std::uint8_t>>& glyphs);

}  // namespace resources
