// The per-user program folder filled from the shipped data, and the program folder shown from the
// menu. (The installed copy's data folder winning over the source tree's: packaging/test_install.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "service/command_log.h"
#include "service/core/program_folder.h"
#include "support/image_folder.h"

namespace {

namespace fs = std::filesystem;

// The per-user folder gets every shipped file it lacks on every start, also when it was made
// empty before the data was installed; a file the technician has is never overwritten.
TEST(ShippedData, ThePerUserFolderGetsEachShippedFileItLacks) {
    const testing_support::ImageFolder root("fill");
    const fs::path shipped = root.file("data"), perUser = root.file("user");
    auto write = [](const fs::path& p, const std::string& text) { std::ofstream(p) << text; };
    auto read = [](const fs::path& p) { return testing_support::readFile(p.string()); };
    // A first start without data leaves an empty folder.
    EXPECT_EQ(service::resolveProgramFolder("", perUser.string(), shipped.string()),
              perUser.string());
    EXPECT_TRUE(fs::is_empty(perUser));
    fs::create_directories(shipped);
    write(shipped / "TestoIng.asm", "shipped text");
    write(shipped / "MenuIng.asm", "shipped menu");
    write(perUser / "MenuIng.asm", "the technician's menu");
    service::resolveProgramFolder("", perUser.string(), shipped.string());
    EXPECT_EQ(read(perUser / "TestoIng.asm"), "shipped text");
    EXPECT_EQ(read(perUser / "MenuIng.asm"), "the technician's menu");
    // A folder given on the command line is used as it is.
    const fs::path given = root.file("given");
    fs::create_directories(given);
    EXPECT_EQ(service::resolveProgramFolder(given.string(), perUser.string(), shipped.string()),
              given.string());
    EXPECT_TRUE(fs::is_empty(given));
}

TEST(ProgramFolder, TheEntryShowsTheFolderOrTellsWhyNot) {
    using service::Outcome;
    const std::string here = fs::temp_directory_path().string();
    const std::string gone = here + "/krn_no_such_folder";
    const std::string cannot = "The program folder cannot be opened:\n" + here;
    struct Case {
        std::string folder;
        bool opens;
        Outcome outcome;
        std::vector<std::string> shown, boxes;
    };
    const Case cases[] = {
        {here, true, Outcome::Done, {here}, {}},
        {here, false, Outcome::FileError, {here}, {cannot}},
        {gone, true, Outcome::FileError, {}, {"Program folder not found:\n" + gone}},
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
