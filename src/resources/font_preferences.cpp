#include "resources/font_preferences.h"

#include <charconv>

namespace resources {
namespace {

constexpr const char* kSection = "Preferenze";

int number(const std::string& text, int fallback) {
    int v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    return ec == std::errc() && p == end ? v : fallback;
}

// Booleans are kept as the 16-bit values -1 and 0; "True"/"False" are read too.
bool flag(const std::string& text, bool fallback) {
    if (text == "True" || text == "true") return true;
    if (text == "False" || text == "false") return false;
    return number(text, fallback ? -1 : 0) != 0;
}

}  // namespace

const char* CPreferenze::suffix(FontFormat format) {
    switch (format) {
        case FontFormat::F6x6:
            return "6x6";
        case FontFormat::F8x11:
            return "8x11";
        case FontFormat::F8x10:
            return "8x10";
    }
    return "8x10";
}

FontSettings CPreferenze::defaults(FontFormat format) {
    if (format == FontFormat::F6x6) return {"Small Fonts", true, false, 6, 0, -2};
    return {"Lucida Console", true, false, 8, 0, -3};
}

CPreferenze::CPreferenze(platform::SettingsStore& store, std::string application)
    : store_(store), application_(std::move(application)) {
    for (FontFormat f : {FontFormat::F6x6, FontFormat::F8x11, FontFormat::F8x10}) {
        const std::string s = suffix(f);
        const FontSettings d = defaults(f);
        auto get = [&](const char* key) { return store_.value(application_, kSection, key + s); };
        FontSettings& v = font(f);
        v.name = get("FontName");
        if (v.name.empty()) v.name = d.name;
        v.bold = flag(get("FontBold"), d.bold);
        v.italic = flag(get("FontItalic"), d.italic);
        v.size = number(get("FontSize"), d.size);
        v.xOffset = number(get("FontXoffset"), d.xOffset);
        v.yOffset = number(get("FontYoffset"), d.yOffset);
    }
}

void CPreferenze::Salva() {
    for (FontFormat f : {FontFormat::F6x6, FontFormat::F8x11, FontFormat::F8x10}) {
        const std::string s = suffix(f);
        const FontSettings& v = font(f);
        auto set = [&](const char* key, const std::string& value) {
            store_.setValue(application_, kSection, key + s, value);
        };
        set("FontName", v.name);
        set("FontBold", v.bold ? "-1" : "0");
        set("FontItalic", v.italic ? "-1" : "0");
        set("FontSize", std::to_string(v.size));
        set("FontXoffset", std::to_string(v.xOffset));
        set("FontYoffset", std::to_string(v.yOffset));
    }
}

}  // namespace resources
