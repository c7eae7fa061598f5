// FListaSN on a list file: the fields' defaults, edit mode, the program button's refusals and the
// assignment, and the font.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

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
    EXPECT_EQ(d.list()->font().family(), "Courier New");
    EXPECT_EQ(d.list()->toPlainText(), "QX300125  A\nQX300099  B");
    EXPECT_EQ(d.txtSN()->text(), "126");
    EXPECT_EQ(d.txtName()->text(), "KRN-Visual");
    EXPECT_EQ(d.txtUser()->text(), "Magazzino Varnolide");
    d.txtSN()->setText("100000");
    d.program();
    EXPECT_EQ(b.host.boxes.texts(),
              std::vector<std::string>{"Lenght of serial number: QX3100000 is wrong"});
    EXPECT_FALSE(d.assignment());
    EXPECT_EQ(resources::readSerialList(b.list)->size(), 2u);
    d.txtSN()->setText("126");
    d.txtName()->setText("Line 3");
    d.program();
    ASSERT_TRUE(d.assignment());
    EXPECT_EQ(d.assignment()->serial, "QX300126");
    EXPECT_EQ(resources::readSerialList(b.list)->size(), 3u);
}

TEST(FListaSN, EditModeHidesTheFieldsAndSavesTheEdits) {
    Bench b;
    app::FListaSN d(b.host);
    ASSERT_TRUE(d.openList(0));
    EXPECT_FALSE(d.txtSN()->isVisibleTo(&d));  // with its label
    EXPECT_TRUE(d.cmdProg()->isHidden());
    d.list()->setPlainText("QX300125  A edited\nQX300099  B\n");
    d.closeList();
    EXPECT_EQ(*resources::readSerialList(b.list),
              (std::vector<std::string>{"QX300125  A edited", "QX300099  B"}));
    EXPECT_FALSE(fs::exists(b.list + ".lock"));
}

TEST(FListaSN, AMissingListIsTold) {
    Bench b;
    b.host.store.setValue("SetupPrograms", "Main", "FileSN", b.folder + "/none.txt");
    app::FListaSN d(b.host);
    EXPECT_FALSE(d.openList(3));
    EXPECT_EQ(b.host.boxes.texts(),
              std::vector<std::string>{
                  "File not found\nCorreggere la chiave del registro: SetupPrograms/Main/FileSN"});
}

}  // namespace
