#include "resources/text_layout.h"

#include <algorithm>
#include <cctype>

#include "resources/language_files.h"

namespace resources {
namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string blanksForTabs(std::string s) {
    std::replace(s.begin(), s.end(), '\t', ' ');
    return s;
}

// The entry number and the rest of a layout line; nothing for a line without a number.
std::optional<std::pair<long, std::string>> splitEntry(const std::string& raw) {
    const std::string line = trimBlanks(blanksForTabs(raw));
    if (line.empty()) return std::nullopt;
    const char first = line[0];
    if (!std::isdigit(static_cast<unsigned char>(first)) && first != '-') return std::nullopt;
    const std::size_t blank = line.find(' ');
    const std::string rest =
        blank == std::string::npos ? std::string() : trimBlanks(line.substr(blank));
    return std::make_pair(leadingValue(line), upper(rest));
}

// The number after a mark; 0 when the mark is absent. Only whether it is 0 matters to the
// compiler; text after the number is not part of it.
long markValue(const std::string& rest, const std::string& mark) {
    const std::size_t at = rest.find(mark);
    if (at == std::string::npos) return 0;
    return leadingValue(rest.substr(at + mark.size()));
}

}  // namespace

int MenuMarks::linesAvailable() const {
    int lines = valueField != 0 ? 2 : 3;
    if (icon != 0) lines -= 2;
    return lines;
}

TextLimits::TextLimits(const std::vector<std::string>& lines) {
    for (const auto& raw : lines) {
        auto entry = splitEntry(raw);
        if (!entry || limits_.count(entry->first)) continue;
        TextLimit l;
        std::string rest = entry->second;
        if (rest.rfind("ING", 0) == 0) {
            l.keepReference = true;
            rest = trimBlanks(rest.substr(3));
        }
        l.limit = leadingValue(rest);
        limits_[entry->first] = l;
    }
}

TextLimits TextLimits::load(const std::string& folder) {
    auto lines = readRawLines(joinPath(folder, kLimitsFile));
    return lines ? TextLimits(*lines) : TextLimits();
}

TextLimit TextLimits::lookup(long entry) const {
    auto it = limits_.find(entry);
    return it == limits_.end() ? TextLimit{} : it->second;
}

MenuFormats::MenuFormats(const std::vector<std::string>& lines) {
    for (const auto& raw : lines) {
        auto entry = splitEntry(raw);
        if (!entry || marks_.count(entry->first)) continue;
        marks_[entry->first] =
            MenuMarks{markValue(entry->second, "VALORE:"), markValue(entry->second, "ICONA:")};
    }
}

MenuFormats MenuFormats::load(const std::string& folder) {
    auto lines = readRawLines(joinPath(folder, kMenuFormatFile));
    return lines ? MenuFormats(*lines) : MenuFormats();
}

MenuMarks MenuFormats::lookup(long entry) const {
    auto it = marks_.find(entry);
    return it == marks_.end() ? MenuMarks{} : it->second;
}

std::optional<std::string> menuFormatLine(long entry, const MenuMarks& marks) {
    if (marks.valueField == 0 && marks.icon == 0) return std::nullopt;
    std::string line = std::to_string(entry);
    if (marks.valueField != 0) line += " VALORE:" + std::to_string(marks.valueField);
    if (marks.icon != 0) line += " ICONA:" + std::to_string(marks.icon);
    return line;
}

}  // namespace resources
