#include "resources/language_files.h"

#include <array>
#include <cctype>
#include <filesystem>

namespace resources {
namespace {

constexpr std::array<LanguageFiles, kLanguageCount> kLanguages = {{
    {"Italiano", "TestoIta.asm", "MenuIta.asm", "TradIta.txt"},
    {"English", "TestoIng.asm", "MenuIng.asm", "TradIng.txt"},
    {"Français", "TestoFra.asm", "MenuFra.asm", "TradFra.txt"},
    {"Español", "TestoSpa.asm", "MenuSpa.asm", "TradSpa.txt"},
    {"Deutsch", "TestoTed.asm", "MenuTed.asm", "TradTed.txt"},
    {"Ceská", "TestoCec.asm", "MenuCec.asm", "TradCec.txt"},
}};

}  // namespace

const LanguageFiles* language(int index) {
    if (index < 0 || index >= kLanguageCount) return nullptr;
    return &kLanguages[static_cast<std::size_t>(index)];
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

std::optional<std::vector<std::string>> readRawLines(const std::string& path,
                                                     platform::FileKind kind,
                                                     platform::FileProblem* problem) {
    auto read = platform::readLines(path, kind);
    if (!read && problem) *problem = read.problem;
    return std::move(read.value);
}

bool replaceRawLines(const std::string& path, const std::vector<std::string>& lines,
                     platform::FileProblem* problem) {
    const auto failed = platform::writeLines(path, lines);
    if (failed && problem) *problem = *failed;
    return !failed;
}

std::string trimBlanks(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

long leadingValue(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && v < 100000000; ++i)
        v = v * 10 + (s[i] - '0');
    return negative ? -v : v;
}

}  // namespace resources
