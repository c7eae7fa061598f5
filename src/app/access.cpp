#include "app/access.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace app {
namespace {

std::string normalise(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    const std::size_t b = s.find_last_not_of(" \t");
    std::string t = s.substr(a, b - a + 1);
    for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return t;
}

}  // namespace

std::string encodeAccessCode(const std::string& plain) {
    std::string out;
    for (unsigned char c : plain) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(c ^ kKey));
        out += pair;
    }
    return out;
}

std::optional<std::string> decodeAccessCode(const std::string& stored) {
    if (stored.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < stored.size(); i += 2) {
        if (!std::isxdigit(static_cast<unsigned char>(stored[i])) ||
            !std::isxdigit(static_cast<unsigned char>(stored[i + 1])))
            return std::nullopt;
        const int v = std::stoi(stored.substr(i, 2), nullptr, 16);
        out += static_cast<char>(v ^ kKey);
    }
    return out;
}

std::optional<int> levelFor(const std::string& expected, const std::string& typed) {
    const std::string e = normalise(expected);
    const std::string t = normalise(typed);
    const std::string candidates[4] = {e, e + kWord6, e + kWord3, e + kWord9};
    for (int level = 0; level < 4; ++level)
        if (t == candidates[level]) return level;
    return std::nullopt;
}

AccessResult Verifica(const std::string& title, const std::string& application,
                      const platform::SettingsStore& settings, PasswordPrompt& prompt,
                      platform::Dialogs& dialogs) {
    const std::string stored =
        settings.value(application, "Main", "Strumento", encodeAccessCode(kSeed));
    // A stored text that does not decode (damaged, or written by hand) must not open the program
    // without a question: it counts as no stored code, and the built-in code is asked for.
    const std::string expected = normalise(decodeAccessCode(stored).value_or(kSeed));
    if (expected.empty()) return {true, 0};
    auto typed = prompt.ask(title);
    if (!typed) return {};
    if (auto level = levelFor(expected, *typed)) return {true, *level};
    dialogs.message({"Wrong password", title, platform::MessageIcon::Information,
                     platform::MessageButtons::Ok, 0});
    return {};
}

}  // namespace app
