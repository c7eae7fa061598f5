#include "sim/nvram_file.h"

#include "platform/files.h"

namespace sim {

NvramLoad loadNvram(const std::string& path, std::vector<std::uint8_t>& nvram) {
    if (platform::pathKind(path) == platform::PathKind::Missing) return NvramLoad::Missing;
    const auto read = platform::readFile(path, platform::FileKind::Nvram);
    if (!read) return NvramLoad::Unreadable;
    if (read->size() != nvram.size()) return NvramLoad::WrongSize;
    nvram.assign(read->begin(), read->end());
    return NvramLoad::Loaded;
}

std::string loadNvramOrSayWhy(const std::string& path, std::vector<std::uint8_t>& nvram) {
    switch (loadNvram(path, nvram)) {
        case NvramLoad::Loaded:
        case NvramLoad::Missing:
            return {};
        case NvramLoad::WrongSize:
            return path + " does not hold the " + std::to_string(nvram.size()) +
                   " bytes of the simulated NVRAM";
        case NvramLoad::Unreadable:
            break;
    }
    return "cannot read " + path;
}

bool saveNvram(const std::string& path, const std::vector<std::uint8_t>& nvram) {
    return !platform::writeFile(path, std::string(nvram.begin(), nvram.end()));
}

std::string loadChipIdentity(const std::string& path, SimUsbDevice& chip) {
    std::vector<std::string> lines;
    if (platform::pathKind(path) != platform::PathKind::Missing) {
        auto read = platform::readLines(path, platform::FileKind::Small);
        if (!read) return "cannot read " + read.problem.text();
        lines = std::move(*read);
    }
    chip.serialNumber = lines.empty() ? std::string() : lines[0];
    chip.description = lines.size() > 1 ? lines[1] : std::string();
    chip.eepromEmpty = chip.serialNumber.empty();
    return {};
}

bool saveChipIdentity(const std::string& path, const SimUsbDevice& chip) {
    return !platform::writeFile(path, chip.eepromEmpty
                                          ? std::string()
                                          : chip.serialNumber + "\n" + chip.description + "\n");
}

}  // namespace sim
