#pragma once
// CPreferenze: the font builder's choices for each of the three formats, kept from one run to
// the next in the settings store (section "Preferenze").
#include <array>
#include <string>

#include "platform/settings_store.h"

namespace resources {

// The dialog's format choice (opFontSize): 0 the 6x6 digits, 1 the 8x11 source, 2 the 8x10 font.
enum class FontFormat { F6x6 = 0, F8x11 = 1, F8x10 = 2 };

struct FontSettings {
    std::string name;
    bool bold = true;
    bool italic = false;
    int size = 8;
    int xOffset = 0;
    int yOffset = 0;
};

class CPreferenze {
public:
    // Loads the eighteen keys, each with its default when absent or not a number.
    explicit CPreferenze(platform::SettingsStore& store, std::string application = "krnsetup");
    FontSettings& font(FontFormat format) { return fonts_[static_cast<std::size_t>(format)]; }
    const FontSettings& font(FontFormat format) const {
        return fonts_[static_cast<std::size_t>(format)];
    }
    void Salva();

    static FontSettings defaults(FontFormat format);
    static const char* suffix(FontFormat format);  // "6x6", "8x11", "8x10"

private:
    platform::SettingsStore& store_;
    std::string application_;
    std::array<FontSettings, 3> fonts_;
};

}  // namespace resources
