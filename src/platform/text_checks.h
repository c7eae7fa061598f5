#pragma once
// What a text written into the instrument may hold: its display and its keyboard have no
// control characters, and a line break inside a name would end a line of every file that keeps
// the name (a backup would take what follows for a key of its own).
#include <algorithm>
#include <string_view>

namespace platform {

// True when the text holds a byte from 1 to 31 (tab, CR, LF ...) or DEL. A zero byte is the
// filler of a slot the instrument keeps empty and goes back as it came.
inline bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b > 0 && b < 0x20) || b == 0x7F;
    });
}

}  // namespace platform
