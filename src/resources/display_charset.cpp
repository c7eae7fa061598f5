#include "resources/display_charset.h"

#include <array>
#include <utility>

namespace resources {
namespace {

// Windows code -> instrument code, for the characters that do not keep their code.
constexpr std::array<std::pair<int, int>, 41> kTable = {{
    {191, 0},  {221, 1},  {224, 2},  {225, 3},  {226, 4},  {154, 5},  {158, 6},
    {209, 7},  {211, 8},  {231, 9},  {232, 10}, {233, 11}, {234, 12}, {235, 13},
    {236, 14}, {237, 15}, {161, 15}, {238, 16}, {239, 17}, {240, 18}, {241, 19},
    {193, 20}, {243, 21}, {244, 22}, {245, 23}, {246, 24}, {249, 25}, {250, 26},
    {251, 27}, {252, 28}, {253, 29}, {128, 30}, {176, 31}, {178, 34}, {218, 36},
    {205, 60}, {142, 62}, {138, 91}, {200, 93}, {201, 94}, {181, 96},
}};

}  // namespace

int instrumentCode(unsigned char windows) {
    for (const auto& [w, i] : kTable)
        if (w == windows) return i;
    return windows;
}

unsigned char windowsCharacter(int instrument) {
    // The first row wins, so 15 goes back to 237 (í), not to 161 (¡).
    for (const auto& [w, i] : kTable)
        if (i == instrument) return static_cast<unsigned char>(w);
    return static_cast<unsigned char>(instrument);
}

std::string toInstrument(const std::string& cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (char c : cp1252) out += static_cast<char>(instrumentCode(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace resources
