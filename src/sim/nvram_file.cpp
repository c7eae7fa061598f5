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

bool saveNvram(const std::string& path, const std::vector<std::uint8_t>& nvram) {
    return !platform::writeFile(path, std::string(nvram.begin(), nvram.end()));
}

}  // namespace sim
