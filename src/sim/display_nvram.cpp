#include "sim/display_nvram.h"

#include <algorithm>

namespace sim {
namespace {

constexpr std::uint32_t kFont8x10 = 12, kFont6x6 = 14, kMenu = 26, kTextTable = 28;
constexpr std::size_t kFontCodes = 123;  // instrument codes 0 .. 122
constexpr std::uint32_t kMenuRecord = 9;

std::uint32_t word(const Nvram& nv, std::uint32_t a) {
    if (a + 1 >= nv.size()) return 0;
    return nv[a] | static_cast<std::uint32_t>(nv[a + 1]) << 8;
}

}  // namespace

std::optional<std::string> countedText(const Nvram& nv, std::uint32_t address) {
    if (address == 0 || address >= nv.size()) return std::nullopt;
    const std::size_t n = nv[address];
    if (nv.size() - address - 1 < n) return std::nullopt;
    const auto first = nv.begin() + static_cast<std::ptrdiff_t>(address) + 1;
    return std::string(first, first + static_cast<std::ptrdiff_t>(n));
}

std::optional<DisplayFont> nvramFont(const Nvram& nv) {
    if (nv.size() < 16 || !std::equal(nv.begin(), nv.begin() + 6, "FontOK")) return std::nullopt;
    const std::uint32_t start = word(nv, kFont8x10);
    if (start == 0 || start >= nv.size()) return std::nullopt;
    const std::uint32_t next = word(nv, kFont6x6);
    std::size_t codes = next > start ? (next - start) / 10 : kFontCodes;
    codes = std::min({codes, kFontCodes, (nv.size() - start) / 10});
    if (codes == 0) return std::nullopt;
    DisplayFont font(codes);
    for (std::size_t c = 0; c < codes; ++c)
        std::copy_n(nv.begin() + static_cast<std::ptrdiff_t>(start + 10 * c), 10, font[c].begin());
    return font;
}

std::optional<std::string> nvramText(const Nvram& nv, int slot) {
    const std::uint32_t table = word(nv, kTextTable);
    if (table == 0 || slot < 1) return std::nullopt;
    return countedText(nv, word(nv, table + 2 * static_cast<std::uint32_t>(slot - 1)));
}

std::optional<MenuRecord> nvramMenu(const Nvram& nv, int menu) {
    const std::uint32_t block = word(nv, kMenu);
    if (block == 0 || menu < 1) return std::nullopt;
    const std::uint32_t at = block + kMenuRecord * static_cast<std::uint32_t>(menu - 1);
    if (at + kMenuRecord > nv.size()) return std::nullopt;
    MenuRecord r;
    r.lines = nv[at];
    r.icon = nv[at + 1];
    r.valueField = nv[at + 2];
    for (std::uint32_t i = 0; i < 3; ++i)
        r.line[i] = static_cast<std::uint16_t>(word(nv, at + 3 + 2 * i));
    return r;
}

}  // namespace sim
