#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The simulated NVRAM kept between runs: the raw bytes, nothing else.
enum class NvramLoad { Loaded, Missing, WrongSize, Unreadable };
NvramLoad loadNvram(const std::string& path, std::vector<std::uint8_t>& nvram);
// Writes to a temporary file beside it and renames, so a crash never leaves half a file.
bool saveNvram(const std::string& path, const std::vector<std::uint8_t>& nvram);

}  // namespace sim
