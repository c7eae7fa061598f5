#include "sim/flash_file.h"

#include <cstdio>

#include "platform/files.h"
#include "sim/sim_instrument.h"

namespace sim {

bool loadFlashRecords(const std::string& path, std::vector<std::uint8_t>& flash) {
    const auto lines = platform::readLines(path, platform::FileKind::Firmware);
    if (!lines) return false;
    for (const std::string& line : *lines) {
        unsigned long address = 0;
        unsigned first = 0, second = 0;
        char end = 0;
        if (std::sscanf(line.c_str(), "%lu:%u:%u%c", &address, &first, &second, &end) < 3 ||
            (end != 0 && end != '\r'))
            return false;
        if (first > 255 || second > 255 || address + 1 >= flash.size()) return false;
        flash[address] = static_cast<std::uint8_t>(first ^ kFlashWriteKey);
        flash[address + 1] = static_cast<std::uint8_t>(second ^ kFlashWriteKey);
    }
    return true;
}

}  // namespace sim
