#pragma once
// What a text written into the instrument may hold: its display and its keyboard have no
// control characters, and a line break inside a name would end a line of every file that keeps
// the name (a backup would take what follows for a key of its own).
#include <algorithm>
#include <string_view>

namespace platform {

// True when the text holds a byte below 32 (tab, CR, LF ...) or DEL.
inline bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

}  // namespace platform
