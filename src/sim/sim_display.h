#pragma once
// The simulated instrument's display memory: three pixel planes of 320 x 240 pixels, one bit a
// pixel, 40 bytes a row, the leftmost pixel in the most significant bit. It is drawn from the
// instrument's own state whenever it is read (command 22):
//   plane A (0)     the screen: the instrument name (NVRAM 106) and the current job;
//   plane B (9728)  the window mask: all set, so that every pixel of plane A shows;
//   plane C (19456) the menu layer: the frame of the three menu keys in its bottom 57 rows.
// Text is drawn with the 8x10 font the instrument was given (the font file's rows, instrument
// codes 0 .. 122); without one, each character is a filled cell.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace sim {

class SimInstrument;

inline constexpr int kDisplayWidth = 320;
inline constexpr int kDisplayHeight = 240;
inline constexpr std::size_t kDisplayRowBytes = 40;
inline constexpr std::size_t kDisplayPlane = 9728;  // plane B starts here, plane C at twice it
inline constexpr std::size_t kDisplayMemory = 3 * kDisplayPlane;
inline constexpr int kMenuRows = 57;

// Where the screen's texts are drawn (top-left pixel of the first character).
inline constexpr int kNameX = 8, kNameY = 8;
inline constexpr int kJobX = 8, kJobY = 24;
inline constexpr int kPhaseX = 8, kPhaseY = 40;
inline constexpr int kJobSlot = 3, kPhaseSlot = 4;
// The menu keys: three of 107 pixels side by side in the bottom rows, each with up to three
// lines of its menu's text, centred.
inline constexpr int kMenuTop = kDisplayHeight - kMenuRows;
inline constexpr int kMenuKeys = 3, kMenuKeyWidth = 107;
inline int menuLineX(int key, std::size_t length) {
    return key * kMenuKeyWidth + (kMenuKeyWidth - 8 * static_cast<int>(length)) / 2;
}
inline int menuLineY(int line) {
    return kMenuTop + 6 + 16 * line;
}

using Glyph = std::array<std::uint8_t, 10>;
using DisplayFont = std::vector<Glyph>;

// The 8x10 font file: one row byte (0 .. 255) per line, 10 lines a character. nullopt when the
// file cannot be read or holds anything else.
std::optional<DisplayFont> loadDisplayFont(const std::string& path);

// Draws text into the plane at `planeStart` of the memory, from pixel (x, y); characters above
// the font's last code are drawn as filled cells, as they are without a font.
void drawText(std::vector<std::uint8_t>& memory, std::size_t planeStart, int x, int y,
              const std::string& text, const DisplayFont& font);

// The font the display draws with: the NVRAM's, else the one the instrument was given.
DisplayFont activeFont(const SimInstrument& in);

// The display memory as the instrument shows it now.
std::vector<std::uint8_t> renderDisplay(const SimInstrument& in);

// The answer of command 22: the bytes from the address (its two bytes, low first), at most the
// instrument's display chunk; no data for an address outside the display memory.
platform::Bytes readDisplayMemory(SimInstrument& in, platform::ByteSpan args);

}  // namespace sim
