#include "sim/sim_display.h"

#include <algorithm>
#include <fstream>

#include "sim/sim_instrument.h"

namespace sim {
namespace {

void setPixel(std::vector<std::uint8_t>& memory, std::size_t planeStart, int x, int y) {
    if (x < 0 || y < 0 || x >= kDisplayWidth || y >= kDisplayHeight) return;
    memory[planeStart + static_cast<std::size_t>(y) * kDisplayRowBytes +
           static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

// The name as the instrument keeps it: a length byte, then one byte per character.
std::string instrumentName(const SimInstrument& in) {
    constexpr std::size_t kName = 106;
    const auto& nv = in.nvram();
    if (nv.size() <= kName) return {};
    const std::size_t n = std::min<std::size_t>(nv[kName], 13);
    if (nv.size() < kName + 1 + n) return {};
    return std::string(nv.begin() + kName + 1,
                       nv.begin() + static_cast<std::ptrdiff_t>(kName + 1 + n));
}

}  // namespace

std::optional<DisplayFont> loadDisplayFont(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    DisplayFont font;
    Glyph glyph{};
    std::size_t row = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.size() > 3 ||
            !std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const int v = std::stoi(line);
        if (v > 255) return std::nullopt;
        glyph[row++] = static_cast<std::uint8_t>(v);
        if (row == glyph.size()) {
            font.push_back(glyph);
            row = 0;
        }
    }
    if (row != 0 || font.empty()) return std::nullopt;
    return font;
}

void drawText(std::vector<std::uint8_t>& memory, std::size_t planeStart, int x, int y,
              const std::string& text, const DisplayFont& font) {
    for (const char ch : text) {
        const auto code = static_cast<std::uint8_t>(ch);
        const bool known = code < font.size();
        for (int r = 0; r < 10; ++r) {
            const std::uint8_t bits =
                known ? font[code][static_cast<std::size_t>(r)] : (code == ' ' ? 0 : 0xFE);
            for (int c = 0; c < 8; ++c)
                if (bits & (0x80 >> c)) setPixel(memory, planeStart, x + c, y + r);
        }
        x += 8;
    }
}

std::vector<std::uint8_t> renderDisplay(const SimInstrument& in) {
    std::vector<std::uint8_t> memory(kDisplayMemory, 0);
    const DisplayFont& font = in.displayFont();
    drawText(memory, 0, kNameX, kNameY, instrumentName(in), font);
    drawText(memory, 0, kJobX, kJobY, "JOB " + std::to_string(in.currentJob()), font);
    std::fill(memory.begin() + kDisplayPlane, memory.begin() + 2 * kDisplayPlane, 0xFF);
    const std::size_t c = 2 * kDisplayPlane;
    const int top = kDisplayHeight - kMenuRows;
    for (int x = 0; x < kDisplayWidth; ++x) {
        setPixel(memory, c, x, top);
        setPixel(memory, c, x, kDisplayHeight - 1);
    }
    for (int key = 0; key <= 3; ++key)
        for (int y = top; y < kDisplayHeight; ++y)
            setPixel(memory, c, std::min(key * 107, kDisplayWidth - 1), y);
    return memory;
}

platform::Bytes readDisplayMemory(SimInstrument& in, platform::ByteSpan args) {
    if (args.size() != 2) return {};
    const std::size_t a = static_cast<std::size_t>(args[0]) | static_cast<std::size_t>(args[1])
                                                                  << 8;
    if (a >= kDisplayMemory) return {};
    if (!in.displayReadAnswered()) return {0x55};
    const std::vector<std::uint8_t> memory = renderDisplay(in);
    const std::size_t n = std::min<std::size_t>(in.displayChunk(), kDisplayMemory - a);
    return platform::Bytes(memory.begin() + static_cast<std::ptrdiff_t>(a),
                           memory.begin() + static_cast<std::ptrdiff_t>(a + n));
}

}  // namespace sim
