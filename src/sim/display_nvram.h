#pragma once
// What a formatted NVRAM holds for the display, as the instrument finds it through the header
// that the format procedure writes after an image:
//   0..5    "FontOK" when the fonts were sent;
//   12..13  the 8x10 font (10 row bytes a character, instrument codes from 0), up to the 6x6
//           font at 14..15;
//   26..27  the main-language menu records, 9 bytes each: lines used, icon, value field, then
//           one 16-bit address per line (low byte first) of a counted text, 0 for no line, or
//           65520 + n for field n (1 job name, 2 phase name, 3 set-point function name);
//   28..29  the main-language text table: one 16-bit address per text slot 1, 2, ... of a
//           counted text (length byte, then the characters as instrument codes).
// An NVRAM formatted without an image has these pointers at 0, and none of it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_display.h"

namespace sim {

using Nvram = std::vector<std::uint8_t>;

// The counted text at the address; nullopt when it does not lie inside the NVRAM.
std::optional<std::string> countedText(const Nvram& nv, std::uint32_t address);

// The image's 8x10 font; nullopt without one.
std::optional<DisplayFont> nvramFont(const Nvram& nv);

// The main-language text of slot 1, 2, ...; nullopt without a text table.
std::optional<std::string> nvramText(const Nvram& nv, int slot);

struct MenuRecord {
    int lines = 0;
    int icon = 0;
    int valueField = 0;
    std::array<std::uint16_t, 3> line{};
};
inline constexpr std::uint16_t kMenuFieldBase = 65520;

// Main-language menu record 1, 2, ...; nullopt without a menu block.
std::optional<MenuRecord> nvramMenu(const Nvram& nv, int menu);

}  // namespace sim
