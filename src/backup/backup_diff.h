#pragma once
// The keys that differ between two backup files.
#include <optional>
#include <string>
#include <vector>

#include "backup/result.h"

namespace backup {

struct KeyDifference {
    std::string key;
    std::optional<std::string> first, second;  // nullopt: the key is missing from that file
};

struct BackupComparison {
    Result result;  // a file error names the file and why it could not be read
    std::vector<KeyDifference> differences;
};

// The keys of section STRUMENTO in the first file's order, then those only in the second. Each
// file is read once and compared in time linear in its keys.
BackupComparison diffBackups(const std::string& first, const std::string& second);

}  // namespace backup
