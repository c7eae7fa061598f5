#pragma once
// A menu entry's text: its words, the placeholders of the instrument's live fields, and the
// layout of the words on the display's menu lines (at most 10 characters each).
#include <optional>
#include <string>
#include <vector>

namespace resources {

inline constexpr std::size_t kMenuLineWidth = 10;
inline constexpr std::size_t kMenuMaxWords = 20;

struct Placeholder {
    const char* shortForm;  // as translators write it ("wwwwwww"); nullptr for none
    const char* longForm;   // the ten-character form on the menu line
    int code;               // the line code of a line holding only this placeholder
    const char* field;      // the field name in the record text
};

// The placeholder written as this word (short or ten-character form), or nullptr.
const Placeholder* findPlaceholder(const std::string& word);
// The placeholder whose field name this is, or nullptr.
const Placeholder* placeholderOfField(const std::string& field);

struct MenuWords {
    std::vector<std::string> words;  // short placeholders widened
    std::string recordText;          // words joined by blanks, field names quoted
};

// Splits the trimmed text at blanks (at most kMenuMaxWords words are kept).
MenuWords splitMenuText(const std::string& text);

// Joins neighbouring words until at most `available` lines remain, with the threshold passes.
// Nothing when no pass fits.
std::optional<std::vector<std::string>> layMenuLines(const std::vector<std::string>& words,
                                                     int available);

// The translator's form of a record text: field names back to their short placeholders.
std::string translatorMenuText(const std::string& recordText);

}  // namespace resources
