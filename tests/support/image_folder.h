#pragma once
// A program folder for the image builder: the shipped data copied, or a small synthetic set.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace testing_support {

class ImageFolder {
public:
    explicit ImageFolder(const std::string& tag) {
        path_ = std::filesystem::temp_directory_path() /
                ("krn_img_" + std::to_string(::getpid()) + "_" + tag);
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ImageFolder() { std::filesystem::remove_all(path_); }

    // Copies the shipped data files.
    void shipped() {
        for (const auto& e : std::filesystem::directory_iterator(KRN_DATA_DIR))
            std::filesystem::copy_file(e.path(), path_ / e.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
    }
    void write(const std::string& name, const std::vector<std::string>& lines) const {
        std::ofstream out(path_ / name, std::ios::binary);
        for (const std::string& l : lines) out << l << "\r\n";
    }
    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
