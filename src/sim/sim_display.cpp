#include "sim/sim_display.h"

#include <algorithm>

#include "platform/files.h"
#include "sim/display_nvram.h"
#include "sim/nvram_image.h"
#include "sim/sim_instrument.h"

namespace sim {
namespace {

void setPixel(std::vector<std::uint8_t>& memory, std::size_t planeStart, int x, int y) {
    if (x < 0 || y < 0 || x >= kDisplayWidth || y >= kDisplayHeight) return;
    memory[planeStart + static_cast<std::size_t>(y) * kDisplayRowBytes +
           static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

constexpr std::uint32_t kName = 106, kSetPointName = 255, kJobAddress = 44;

// A counted text of the NVRAM, at most `max` characters.
std::string textAt(const std::vector<std::uint8_t>& nv, std::uint32_t address, std::size_t max) {
    std::string t = countedText(nv, address).value_or("");
    if (t.size() > max) t.resize(max);
    return t;
}

// The current job's record, and its first phase record (the simulated press stays in phase 1).
std::uint32_t currentJobRecord(const SimInstrument& in) {
    const auto& nv = in.nvram();
    const std::uint32_t first = nv[kJobAddress] | static_cast<std::uint32_t>(nv[kJobAddress + 1])
                                                      << 8;
    return first + static_cast<std::uint32_t>(std::max(in.currentJob() - 1, 0)) *
                       jobGeometry(in.profile()).jobSize();
}

std::size_t nameLength(const SimInstrument& in) {
    return in.profile().maxNameLength ? in.profile().maxNameLength : 13;
}

// What a menu line shows: its text, or the field it stands for.
std::string menuLine(const SimInstrument& in, std::uint16_t line) {
    const auto& nv = in.nvram();
    if (line == 0) return {};
    if (line < kMenuFieldBase) return textAt(nv, line, 13);
    switch (line - kMenuFieldBase) {
        case 1:
            return textAt(nv, currentJobRecord(in), nameLength(in));
        case 2:
            return textAt(nv, currentJobRecord(in) + jobGeometry(in.profile()).header,
                          nameLength(in));
        case 3:
            return textAt(nv, kSetPointName, 13);
        default:
            return {};
    }
}

void drawMenuKeys(std::vector<std::uint8_t>& memory, const SimInstrument& in,
                  const DisplayFont& font) {
    const std::size_t c = 2 * kDisplayPlane;
    for (int x = 0; x < kDisplayWidth; ++x) {
        setPixel(memory, c, x, kMenuTop);
        setPixel(memory, c, x, kDisplayHeight - 1);
    }
    for (int key = 0; key <= kMenuKeys; ++key)
        for (int y = kMenuTop; y < kDisplayHeight; ++y)
            setPixel(memory, c, std::min(key * kMenuKeyWidth, kDisplayWidth - 1), y);
    for (int key = 0; key < kMenuKeys; ++key) {
        const auto menu = nvramMenu(in.nvram(), key + 1);
        if (!menu) return;
        for (int l = 0; l < std::min(menu->lines, 3); ++l) {
            const std::string text = menuLine(in, menu->line[static_cast<std::size_t>(l)]);
            drawText(memory, c, menuLineX(key, text.size()), menuLineY(l), text, font);
        }
    }
}

}  // namespace

std::optional<DisplayFont> loadDisplayFont(const std::string& path) {
    const auto lines = platform::readLines(path, platform::FileKind::Font);
    if (!lines) return std::nullopt;
    DisplayFont font;
    Glyph glyph{};
    std::size_t row = 0;
    for (const std::string& line : *lines) {
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

DisplayFont activeFont(const SimInstrument& in) {
    if (auto font = nvramFont(in.nvram())) return std::move(*font);
    return in.displayFont();
}

std::vector<std::uint8_t> renderDisplay(const SimInstrument& in) {
    std::vector<std::uint8_t> memory(kDisplayMemory, 0);
    const DisplayFont font = activeFont(in);
    const auto& nv = in.nvram();
    drawText(memory, 0, kNameX, kNameY, textAt(nv, kName, 13), font);
    drawText(memory, 0, kJobX, kJobY,
             nvramText(nv, kJobSlot).value_or("JOB") + " " + std::to_string(in.currentJob()), font);
    drawText(memory, 0, kPhaseX, kPhaseY, nvramText(nv, kPhaseSlot).value_or("PHASE") + " 1", font);
    std::fill(memory.begin() + kDisplayPlane, memory.begin() + 2 * kDisplayPlane, 0xFF);
    drawMenuKeys(memory, in, font);
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
