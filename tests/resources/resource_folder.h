#pragma once
// A fresh program folder under the system's temporary directory, with exact-byte file helpers.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

class ResourceFolder {
public:
    ResourceFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("krn-resources-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ResourceFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Lines given as Windows-1252 bytes, each followed by CR LF.
    void write(const std::string& name, const std::vector<std::string>& lines) const {
        std::string bytes;
        for (const auto& l : lines) bytes += l + "\r\n";
        writeBytes(name, bytes);
    }
    void writeBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
