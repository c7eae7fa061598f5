#include "resources/translation_export.h"

#include "resources/language_files.h"
#include "resources/menu_layout.h"
#include "resources/text_layout.h"

namespace resources {
namespace {

constexpr long kMenuBase = 1000;

std::vector<long> commaNumbers(const std::string& s) {
    std::vector<long> out;
    std::size_t i = 0;
    while (i <= s.size()) {
        std::size_t e = s.find(',', i);
        if (e == std::string::npos) e = s.size();
        out.push_back(leadingValue(s.substr(i, e - i)));
        i = e + 1;
    }
    return out;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

}  // namespace

std::vector<DisplayText> readDisplayTexts(const std::vector<std::string>& lines) {
    std::vector<DisplayText> out;
    for (const auto& line : lines) {
        const std::size_t open = line.find('"');
        const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close == std::string::npos) continue;
        out.push_back(
            {leadingValue(line.substr(0, open)), line.substr(open + 1, close - open - 1)});
    }
    return out;
}

void readMenuFile(const std::vector<std::string>& lines, std::vector<std::string>& table,
                  std::vector<MenuRecord>& records) {
    for (const auto& line : lines) {
        if (line.empty()) continue;
        if (line[0] == '"') {  // a menu line: "text", tab, its number
            const std::size_t close = line.find('"', 1);
            table.push_back(
                line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        const std::size_t fieldsEnd = line.find('\t');
        const std::size_t menuTab = line.rfind('\t');
        if (fieldsEnd == std::string::npos || menuTab == fieldsEnd) continue;
        std::size_t textStart = fieldsEnd;
        while (textStart < menuTab && line[textStart] == '\t') ++textStart;
        MenuRecord r;
        r.fields = commaNumbers(line.substr(0, fieldsEnd));
        r.text = line.substr(textStart, menuTab - textStart);
        r.menu = leadingValue(line.substr(menuTab + 1));
        records.push_back(std::move(r));
    }
}

std::optional<std::vector<std::string>> translationLines(const std::string& folder, int language) {
    const LanguageFiles* files = resources::language(language);
    if (!files) return std::nullopt;
    const auto texts = readRawLines(joinPath(folder, files->textFile));
    const auto menu = readRawLines(joinPath(folder, files->menuFile));
    if (!texts || !menu) return std::nullopt;
    std::vector<std::string> out;
    for (const auto& t : readDisplayTexts(*texts))
        out.push_back(std::to_string(t.number) + "\t" + quoted(t.text));
    std::vector<std::string> table;
    std::vector<MenuRecord> records;
    readMenuFile(*menu, table, records);
    for (const auto& r : records)
        out.push_back(std::to_string(r.menu + kMenuBase) + "\t" +
                      quoted(translatorMenuText(r.text)));
    return out;
}

std::optional<std::vector<std::string>> menuFormatLines(const std::string& folder, int language) {
    const LanguageFiles* files = resources::language(language);
    if (!files) return std::nullopt;
    const auto menu = readRawLines(joinPath(folder, files->menuFile));
    if (!menu) return std::nullopt;
    std::vector<std::string> table;
    std::vector<MenuRecord> records;
    readMenuFile(*menu, table, records);
    std::vector<std::string> out;
    for (const auto& r : records) {
        MenuMarks marks{r.fields.size() > 2 ? r.fields[2] : 0,
                        r.fields.size() > 1 ? r.fields[1] : 0};
        if (auto line = menuFormatLine(r.menu + kMenuBase, marks)) out.push_back(*line);
    }
    return out;
}

}  // namespace resources
