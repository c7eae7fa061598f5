#pragma once
// The keys that differ between two backup files.
#include <optional>
#include <string>
#include <vector>

namespace backup {

struct KeyDifference {
    std::string key;
    std::optional<std::string> first, second;  // nullopt: the key is missing from that file
};

// The keys of section STRUMENTO in the first file's order, then those only in the second; nullopt
// when either file cannot be read.
std::optional<std::vector<KeyDifference>> diffBackups(const std::string& first, const std::string& second);

}  // namespace backup
