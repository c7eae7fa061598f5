#pragma once
// The two read-only layout files of the program folder: "TestoLimiti.asm" (length limit and
// "ING" mark of a display text) and "TrasformaMenu.asm" (value field and icon of a menu entry).
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace resources {

struct TextLimit {
    long limit = 0;              // 0: no check; > 0: at most; < 0: right-aligned to -limit
    bool keepReference = false;  // "ING": other languages keep the reference text
};

struct MenuMarks {
    long valueField = 0;  // "VALORE:"
    long icon = 0;        // "ICONA:"
    // Lines left for the menu text: 3, 2 with a value field, 2 fewer with an icon.
    int linesAvailable() const;
};

class TextLimits {
public:
    TextLimits() = default;
    explicit TextLimits(const std::vector<std::string>& lines);
    static TextLimits load(const std::string& folder);  // missing file: no limits
    TextLimit lookup(long entry) const;

private:
    std::map<long, TextLimit> limits_;
};

class MenuFormats {
public:
    MenuFormats() = default;
    explicit MenuFormats(const std::vector<std::string>& lines);
    static MenuFormats load(const std::string& folder);  // missing file: no marks
    MenuMarks lookup(long entry) const;

private:
    std::map<long, MenuMarks> marks_;
};

// One "TrasformaMenu.asm" line for an entry with its marks; nothing when neither mark counts.
std::optional<std::string> menuFormatLine(long entry, const MenuMarks& marks);

}  // namespace resources
