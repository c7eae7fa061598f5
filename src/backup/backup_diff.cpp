#include "backup/backup_diff.h"

#include <map>

#include "backup/backup_keys.h"
#include "platform/text_file.h"

namespace backup {
namespace {

// key -> value, in file order; the first occurrence of a key counts, as a lookup finds it.
using Keys = std::vector<std::pair<std::string, std::string>>;

std::optional<Keys> readKeys(const std::string& path) {
    auto lines = platform::readTextLines(path);
    if (!lines) return std::nullopt;
    Keys keys;
    bool inSection = false;
    for (std::string line : *lines) {
        line.erase(0, line.find_first_not_of(' '));
        if (!line.empty() && line[0] == '[' && line.find(']') != std::string::npos) {
            std::string name = line.substr(1, line.find(']') - 1);
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            inSection = name == kSection;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos || eq == 0) continue;
        const std::string key = line.substr(0, eq);
        bool seen = false;
        for (const auto& [k, v] : keys) seen = seen || k == key;
        if (!seen) keys.emplace_back(key, line.substr(eq + 1));
    }
    return keys;
}

}  // namespace

std::optional<std::vector<KeyDifference>> diffBackups(const std::string& first, const std::string& second) {
    auto a = readKeys(first);
    auto b = readKeys(second);
    if (!a || !b) return std::nullopt;
    std::map<std::string, std::string> inB(b->begin(), b->end());
    std::map<std::string, std::string> inA(a->begin(), a->end());
    std::vector<KeyDifference> out;
    for (const auto& [k, v] : *a) {
        auto it = inB.find(k);
        if (it == inB.end())
            out.push_back({k, v, std::nullopt});
        else if (it->second != v)
            out.push_back({k, v, it->second});
    }
    for (const auto& [k, v] : *b)
        if (!inA.count(k)) out.push_back({k, std::nullopt, v});
    return out;
}

}  // namespace backup
