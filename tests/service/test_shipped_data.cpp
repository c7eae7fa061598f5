// Where the programs find the shipped data: the installed copy's folder beside them, else the
// source tree's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "service/core/program_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(ShippedData, TheInstalledFolderWinsWhenItExists) {
    const fs::path root = fs::temp_directory_path() / ("krn_shipped_" + std::to_string(::getpid()));
    fs::create_directories(root / "bin");
    const std::string bin = (root / "bin").string();
    const std::string relative = "../share/krnsetup/data";
    EXPECT_EQ(service::shippedDataFolder(bin, relative, "/src/data"), "/src/data");
    fs::create_directories(root / "share/krnsetup/data");
    EXPECT_EQ(service::shippedDataFolder(bin, relative, "/src/data"),
              (root / "share/krnsetup/data").string());
    EXPECT_EQ(service::shippedDataFolder("", relative, "/src/data"), "/src/data");
    EXPECT_EQ(service::shippedDataFolder(bin, "", "/src/data"), "/src/data");
    fs::remove_all(root);
}

}  // namespace
