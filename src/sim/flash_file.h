#pragma once
// Flash contents for krnsim from firmware-format files ("address:first:second" a line): the
// flash as the loader leaves it after an update with that file.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// false when the file cannot be read or a line is not a record inside the flash.
bool loadFlashRecords(const std::string& path, std::vector<std::uint8_t>& flash);

}  // namespace sim
