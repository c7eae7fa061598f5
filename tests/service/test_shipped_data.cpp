// Where the programs find the shipped data: the installed copy's folder beside them, else the
// source tree's; and the program folder shown from the menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "service/core/menu_commands.h"
#include "service/core/program_folder.h"
#include "support/test_host.h"

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

TEST(ProgramFolder, TheEntryShowsTheFolderOrTellsWhyNot) {
    using service::Outcome;
    const std::string here = fs::temp_directory_path().string();
    const std::string gone = here + "/krn_no_such_folder";
    struct Case {
        std::string folder;
        bool opens;
        Outcome outcome;
        std::vector<std::string> shown, boxes;
    };
    const Case cases[] = {
        {here, true, Outcome::Done, {here}, {}},
        {here,
         false,
         Outcome::FileError,
         {here},
         {"The program folder cannot be opened:\n" + here}},
        {gone, true, Outcome::FileError, {}, {"Program folder not found:\n" + gone}},
        {"", true, Outcome::FileError, {}, {"Program folder not found:\n"}},
    };
    for (const Case& c : cases) {
        testing_support::InstrumentRig rig;
        testing_support::TestHost host(rig, c.folder);
        host.folderOpens = c.opens;
        const auto command = service::menuCommands().at("mnuCartellaProgramma");
        EXPECT_EQ(service::runCommand(host, command), c.outcome) << c.folder;
        EXPECT_EQ(host.foldersShown, c.shown) << c.folder;
        EXPECT_EQ(host.boxes.texts(), c.boxes) << c.folder;
        EXPECT_TRUE(rig.instrument.requests().empty());  // no instrument is involved
    }
}

}  // namespace
