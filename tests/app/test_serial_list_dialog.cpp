// FListaSN on a list file: the fields' defaults, edit mode, the program button's refusals and the
// assignment, and the font.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <set>

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

// Accented names show as typed and reach the file as Windows-1252; a list whose numbers are used
// up proposes none.
TEST(FListaSN, ShowsCharactersAndRefusesAUsedUpList) {
    Bench b;
    resources::writeSerialList(b.list, {"QX300125  Pr\u00fcfstand"});
    app::FListaSN d(b.host);
    ASSERT_TRUE(d.openList(0));
    EXPECT_EQ(d.list()->toPlainText(), QString::fromUtf8("QX300125  Pr\u00fcfstand"));
    d.list()->setPlainText(QString::fromUtf8("QX300125  Pr\u00fcfstand \u00e8"));
    d.closeList();
    EXPECT_EQ(*resources::readSerialList(b.list),
              std::vector<std::string>{"QX300125  Pr\u00fcfstand \u00e8"});
    resources::writeSerialList(b.list, {"QX399999  last"});
    app::FListaSN used(b.host);
    EXPECT_FALSE(used.openList(3));
    EXPECT_EQ(b.host.boxes.texts().back(),
              "The serial numbers of type 3 are used up: QX399999 is the last one a chip can "
              "take. Nothing was programmed.");
}

// Two stations program while the list is open for editing; OK saves the edit and keeps every
// number they gave: none is lost, none repeated. OK is pressed again while a station holds the
// lock, as the technician would after "in use by another station".
TEST(FListaSN, TheSaveKeepsTheNumbersOfTwoStationsProgrammingMeanwhile) {
    Bench b;
    app::FListaSN d(b.host);
    ASSERT_TRUE(d.openList(0));
    d.list()->setPlainText("QX300125  A edited\nQX300099  B");
    constexpr int kStations = 2, kEach = 20;
    std::vector<pid_t> stations;
    for (int p = 0; p < kStations; ++p) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            platform::SystemClock clock;
            platform::MemorySettingsStore settings;
            int failures = 0;
            for (int i = 0; i < kEach; ++i)
                failures += !resources::assignSerialNumber(
                                 b.list, settings, "krnsetup", clock,
                                 {3, std::nullopt, std::nullopt, "p" + std::to_string(p), "u", {}},
                                 std::chrono::seconds(30))
                                 .assignment;
            ::_exit(failures);
        }
        stations.push_back(pid);
    }
    // Saved once some numbers were given, while the stations go on.
    for (int polls = 0; polls < 1000000; ++polls)
        if (resources::readSerialList(b.list).value_or(std::vector<std::string>{}).size() >= 6)
            break;
    for (int tries = 0;; ++tries) {
        b.host.boxes.boxes.clear();
        d.closeList();
        if (b.host.boxes.boxes.empty()) break;  // saved
        ASSERT_LT(tries, 1000) << b.host.boxes.texts().front();
    }
    for (pid_t c : stations) {
        int status = 0;
        ::waitpid(c, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto lines = *resources::readSerialList(b.list);
    ASSERT_EQ(lines.size(), 2u + kStations * kEach);
    EXPECT_EQ(lines[0], "QX300125  A edited");
    std::set<std::string> serials;
    for (const auto& l : lines) serials.insert(l.substr(0, 8));
    EXPECT_EQ(serials.size(), lines.size());
    EXPECT_EQ(*serials.rbegin(), resources::serialText(3, 125 + kStations * kEach));
}

}  // namespace
