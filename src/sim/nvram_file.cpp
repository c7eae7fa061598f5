#include "sim/nvram_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace sim {

NvramLoad loadNvram(const std::string& path, std::vector<std::uint8_t>& nvram) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return NvramLoad::Missing;
    std::ifstream in(path, std::ios::binary);
    if (!in) return NvramLoad::Unreadable;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) return NvramLoad::Unreadable;
    if (bytes.size() != nvram.size()) return NvramLoad::WrongSize;
    nvram = std::move(bytes);
    return NvramLoad::Loaded;
}

bool saveNvram(const std::string& path, const std::vector<std::uint8_t>& nvram) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(nvram.data()),
                  static_cast<std::streamsize>(nvram.size()));
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    return !ec;
}

}  // namespace sim
