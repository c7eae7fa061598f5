#include "backup/backup_diff.h"

#include <cctype>
#include <unordered_map>

#include "backup/backup_files.h"
#include "backup/backup_keys.h"
#include "backup/ini_file.h"
#include "backup/restore_plan.h"

namespace backup {
namespace {

// key -> value in file order; the first occurrence of a key counts, as a lookup finds it.
struct Keys {
    std::vector<std::pair<std::string, std::string>> ordered;
    std::unordered_map<std::string, std::string> byKey;
};

std::optional<Result> readKeys(const std::string& path, Keys& keys) {
    IniFile ini;
    if (auto error = openBackupFile(ini, path)) return error;
    bool inSection = false, seen = false;
    for (std::int32_t i = 1; i <= ini.Count(); ++i) {
        const std::string& line = ini.Riga(i);
        if (!line.empty() && line[0] == '[' && line.find(']') != std::string::npos) {
            std::string name = line.substr(1, line.find(']') - 1);
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            inSection = name == kSection;
            seen = seen || inSection;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos || eq == 0) continue;
        std::string key = line.substr(0, eq);
        if (keys.byKey.emplace(key, line.substr(eq + 1)).second)
            keys.ordered.emplace_back(key, line.substr(eq + 1));
    }
    // An empty file, or any text without the instrument's section, is no backup to compare.
    if (!seen)
        return fileError(
            refusedFile(ini, "it has no section [" + std::string(kSection) + "]; it is no backup"));
    return std::nullopt;
}

}  // namespace

BackupComparison diffBackups(const std::string& first, const std::string& second) {
    BackupComparison out;
    Keys a, b;
    if (auto error = readKeys(first, a)) return {*error, {}};
    if (auto error = readKeys(second, b)) return {*error, {}};
    for (const auto& [k, v] : a.ordered) {
        auto it = b.byKey.find(k);
        if (it == b.byKey.end())
            out.differences.push_back({k, v, std::nullopt});
        else if (it->second != v)
            out.differences.push_back({k, v, it->second});
    }
    for (const auto& [k, v] : b.ordered)
        if (!a.byKey.count(k)) out.differences.push_back({k, std::nullopt, v});
    return out;
}

}  // namespace backup
