// FListaSN on a list file: the fields' defaults, edit mode and a list in use, the program
// button's refusal and the assignment, a missing or used-up list, and the font.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/serial_list_dialog.h"
#include "support/test_host.h"

namespace {

namespace fs = std::filesystem;

struct Bench {
    Bench() : rig(*sim::findProfile("p36e51")), host(rig) {
        folder = (fs::temp_directory_path() / ("krn_fsn_" + std::to_string(::getpid()))).string();
        fs::create_directories(folder);
        list = folder + "/SNlist.txt";
        resources::writeSerialList(list, {"QX300125  A", "QX300099  B"});
        host.store.setValue("SetupPrograms", "Main", "FileSN", list);
    }
    ~Bench() { fs::remove_all(folder); }
    testing_support::InstrumentRig rig;
    testing_support::TestHost host;
    std::string folder, list;
};

TEST(FListaSN, ProgramModeProposesTheNextNumberAndAssignsIt) {
    Bench b;
    app::FListaSN d(b.host);
    ASSERT_TRUE(d.openList(3));
    EXPECT_EQ(std::tuple(d.list()->font().family(), d.list()->toPlainText(), d.txtSN()->text(),
                         d.txtName()->text(), d.txtUser()->text()),
              std::tuple("Courier New", "QX300125  A\nQX300099  B", "126", "KRN-Visual",
                         "Magazzino Varnolide"));
    d.txtSN()->setText("100000");
    d.program();  // refused with a box (its texts: service/test_serial_list.cpp)
    EXPECT_EQ(std::tuple(b.host.boxes.boxes.size(), d.assignment().has_value()),
              std::tuple(1u, false));
    d.txtSN()->setText("126");
    d.txtName()->setText("Line 3");
    d.program();
    ASSERT_TRUE(d.assignment());
    EXPECT_EQ(std::tuple(d.assignment()->serial, resources::readSerialList(b.list)->size()),
              std::tuple("QX300126", 3u));
}

// "File not found", then the offer to start an empty list: No leaves the folder as it is, Yes
// creates the list and the dialog goes on with it.
TEST(FListaSN, AMissingListIsToldAndMayBeCreated) {
    for (const auto answer : {platform::MessageResult::No, platform::MessageResult::Yes}) {
        Bench b;
        const std::string none = b.folder + "/none.txt";
        b.host.store.setValue("SetupPrograms", "Main", "FileSN", none);
        b.host.boxes.answers = {platform::MessageResult::Ok, answer};
        app::FListaSN d(b.host);
        EXPECT_EQ(d.openList(3), answer == platform::MessageResult::Yes);
        EXPECT_EQ(
            b.host.boxes.texts(),
            (std::vector<std::string>{
                "File not found\nCorreggere la chiave del registro: SetupPrograms/Main/FileSN",
                resources::serialListCreateQuestion(none)}));
        EXPECT_EQ(fs::exists(none), answer == platform::MessageResult::Yes);
        if (answer == platform::MessageResult::No) continue;
        EXPECT_EQ(d.txtSN()->text(), "1");
        EXPECT_EQ(*resources::readSerialList(none), std::vector<std::string>{});
    }
}

// A list whose numbers are used up proposes none (names as characters and the refusals of the
// program button: service/test_serial_list.cpp).
TEST(FListaSN, AUsedUpListIsRefused) {
    Bench b;
    resources::writeSerialList(b.list, {"QX399999  last"});
    app::FListaSN used(b.host);
    EXPECT_FALSE(used.openList(3));
    EXPECT_EQ(b.host.boxes.texts().back(),
              "The serial numbers of type 3 are used up: QX399999 is the last one a chip can "
              "take. Nothing was programmed.");
}

// Edit mode hides the fields. A list another station holds: OK tells so and keeps the edit on
// screen; pressed again once the lock is gone it saves the edit (the merge with the lines added
// meanwhile: SerialListEdit) and leaves no lock.
TEST(FListaSN, EditModeOkOnAListInUseTellsItAndSavesWhenPressedAgain) {
    Bench b;
    app::FListaSN d(b.host);
    ASSERT_TRUE(d.openList(0));
    EXPECT_FALSE(d.txtSN()->isVisibleTo(&d));  // with its label
    EXPECT_TRUE(d.cmdProg()->isHidden());
    d.list()->setPlainText("QX300125  A edited\nQX300099  B");
    std::ofstream(b.list + ".lock") << "other-host 1\n";
    d.closeList();
    EXPECT_EQ(b.host.boxes.texts(),
              std::vector<std::string>{
                  "The serial number list is in use by another station (computer other-host, "
                  "process 1).\nTry again; if no other station is programming, delete " +
                  b.list + ".lock"});
    fs::remove(b.list + ".lock");
    d.closeList();
    EXPECT_EQ(b.host.boxes.boxes.size(), 1u);
    EXPECT_EQ(*resources::readSerialList(b.list),
              (std::vector<std::string>{"QX300125  A edited", "QX300099  B"}));
    EXPECT_FALSE(fs::exists(b.list + ".lock"));
}

}  // namespace
