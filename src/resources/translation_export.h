#pragma once
// The way back from a language's compiled files: the translation file a translator starts from
// ("Crea file da tradurre...") and the menu layout lines of that language ("TrasformaMenu.asm").
// Both compile back to the same files.
#include <optional>
#include <string>
#include <vector>

namespace resources {

struct MenuRecord {
    std::vector<long> fields;  // lines used (or 3 with an icon), icon, value field, line codes
    std::string text;          // record text, field names quoted
    long menu = 0;             // menu number (entry number - 1000)
};

struct DisplayText {
    long number = 0;
    std::string text;
};

// The display texts of a display-text file, in file order (lines without a quoted text skipped).
std::vector<DisplayText> readDisplayTexts(const std::vector<std::string>& lines);
// The menu line table and the records of a menu file.
void readMenuFile(const std::vector<std::string>& lines, std::vector<std::string>& table,
                  std::vector<MenuRecord>& records);

// Translation file lines of a language (number, tab, quoted text): its display texts, then its
// menu entries with the placeholders in their short forms. Nothing when its files cannot be read.
std::optional<std::vector<std::string>> translationLines(const std::string& folder, int language);
// "TrasformaMenu.asm" lines of the menu entries of a language that have a value field or an icon.
std::optional<std::vector<std::string>> menuFormatLines(const std::string& folder, int language);

}  // namespace resources
