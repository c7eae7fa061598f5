// The desktop program driven as the technician drives it: the password box, the selection, the
// menu commands and their log, through the modal dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "app/access.h"
#include "app/clock_dialog.h"
#include "app/communication_dialog.h"
#include "app/instrument_panel.h"
#include "app/main_window.h"
#include "app/password_dialog.h"
#include "app/profile_dialog.h"
#include "app/screen_copy_dialog.h"
#include "backup/memory_files.h"
#include "platform/files.h"
#include "platform/version.h"
#include "resources/serial_list.h"
#include "service/backup/memory_commands.h"
#include "support/gui_flow.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"

namespace {

using testing_support::closeWhen;
using testing_support::confirmPreselected;
using testing_support::onModal;
using testing_support::pick;
using testing_support::waitFor;

// The simulated instruments, a program folder of the test's own, and the main window shown at
// an access level.
struct Workbench {
    Workbench(const char* switches, const char* folder, int level) : s(switches), program(folder) {
        s.env.folder = program.path.string();
        window = std::make_unique<app::FMain>(s.env, &dialogs);
        window->SetupCustomer(level);
        window->SetupMenu();
        window->show();
    }
    testing_support::SimulatedEnvironment s;
    testing_support::ProgramFolder program;
    testing_support::RecordingDialogs dialogs;
    std::unique_ptr<app::FMain> window;
};

// The access code typed into the password box gives the level the window shows.
TEST(GuiFlow, ThePasswordBoxGivesTheLevel) {
    platform::MemorySettingsStore settings;
    testing_support::RecordingDialogs dialogs;
    app::FPassword password;
    onModal<app::FPassword>([](app::FPassword* p) {
        p->field()->setText("2718tecnic");
        p->accept();
    });
    const auto access = app::Verifica("Access password", "krnsetup", settings, password, dialogs);
    EXPECT_EQ(std::tuple(access.accepted, access.level, dialogs.boxes.size()),
              std::tuple(true, 1, 0u));
}

// The technician selects the instrument once and runs three commands, each time only confirming
// the preselected row; the window shows the instrument and three log lines, the day's file in the
// program folder holds them, and a later start still preselects it.
TEST(GuiFlow, OneSelectionThreeCommandsTheirLogAndTheInstrumentRemembered) {
    Workbench b("/FUL", "krn_bench", 1);
    ASSERT_TRUE(b.s.started);
    const QString usb = "USB: QX3SIM0001";
    {
        auto& window = *b.window;
        pick("USB:", [] {});
        window.action("mnuPreferenze")->trigger();
        EXPECT_EQ(window.chosenInstrument(), usb.toStdString());

        confirmPreselected(usb, [] {
            closeWhen<app::FDataOra>(
                [](app::FDataOra* d) { return !d->instrumentLabel()->text().isEmpty(); });
        });
        window.action("mnuOrologio")->trigger();
        confirmPreselected(usb, [] {
            closeWhen<app::FTestComm>([](app::FTestComm* d) { return d->okCount() >= 2; });
        });
        window.action("mnuTestComm")->trigger();
        // The USB attempts only write a byte, yet they reached the instrument.
        EXPECT_EQ(window.instrumentPanel()->field("state"), "Reached by the last command");
        b.dialogs.inputs = {std::string("KRN-BENCH")};
        confirmPreselected(usb, [] {});
        window.action("mnuNomeStrumento")->trigger();

        QStringList panel;
        for (const char* f : {"name", "channel", "description", "protocol", "serial", "state"})
            panel << window.instrumentPanel()->field(f);
        EXPECT_EQ(panel.join(" | "), "KRN-BENCH | USB | " + usb +
                                         " | 41-1072 | QX3SIM0001 | Reached by the last command");
        EXPECT_FALSE(window.instrumentPanel()->field("version").isEmpty());
        QTreeWidget* log = window.activityView()->list();
        QStringList rows;
        for (int i = 0; i < log->topLevelItemCount(); ++i)
            rows << log->topLevelItem(i)->text(1) + " | " + log->topLevelItem(i)->text(3) + " | " +
                        log->topLevelItem(i)->text(2).left(usb.size());
        EXPECT_EQ(rows,
                  (QStringList{"Clock... | Done | " + usb, "Communication test... | Done | " + usb,
                               "Change instrument name... | Done | " + usb}));
        // The clock and the communication test name the instrument by its USB serial; the name
        // is read by the instrument-name command before it is changed.
        const auto& lines = window.activityLog().lines();
        ASSERT_EQ(lines.size(), 3u);
        std::string file;
        for (const auto& entry : std::filesystem::directory_iterator(b.program.path))
            if (entry.path().filename().string().rfind("activity-", 0) == 0)
                file += *platform::readFile(entry.path().string(), platform::FileKind::Report);
        EXPECT_EQ(file, "# krnsetup " + platform::versionText() + "\n" + lines[0] + "\n" +
                            lines[1] + "\n" + lines[2] + "\n");
        EXPECT_NE(lines[2].find("| Change instrument name... | USB: QX3SIM0001 ("),
                  std::string::npos)
            << lines[2];
        window.close();
    }
    // A new start preselects the same instrument.
    EXPECT_EQ(b.s.settings.value("krnsetup", "Selection", "LastInstrument"), usb.toStdString());
    app::FMain again(b.s.env, &b.dialogs);
    confirmPreselected(usb, [] {});
    EXPECT_EQ(again.selectInstrument("Select instrument", {}), usb.toStdString());
}

// A command whose dialog could not do its work is logged with that outcome, not as done: the
// serial-number list that is missing (and not created) is a file error; a communication test
// whose every attempt was NO and a screen copy that reached nothing failed; a profile form
// cancelled cancels.
TEST(GuiFlow, TheLogRecordsTheOutcomeOfACommandWhoseDialogFailed) {
    Workbench b("/FUL", "krn_nolist", 1);
    b.dialogs.answers = {platform::MessageResult::No};  // no empty list created
    b.window->action("mnuListSN")->trigger();
    ASSERT_FALSE(b.dialogs.boxes.empty());
    EXPECT_EQ(b.dialogs.boxes[0].text, resources::serialListMissingText());
    closeWhen<app::FTestComm>([](app::FTestComm* d) { return d->noCount() >= 2; });
    b.window->run(
        [](service::CommandHost& h) {
            h.showCommunicationTest("COM: 7");
            return service::Outcome::Done;
        },
        "Communication test...");
    onModal<app::FCopiaDisplay>([](app::FCopiaDisplay* d) {
        d->cmdStartCopia_Click();
        d->close();
    });
    b.window->run(
        [](service::CommandHost& h) {
            h.showScreenCopy("IP: 127.0.0.1", false);
            return service::Outcome::Done;
        },
        "Screen copy...");
    // The profile form a format opens, cancelled: the command ends as the form answered.
    onModal<app::FProfilo>([](app::FProfilo* form) { form->reject(); });
    b.window->run(
        [](service::CommandHost& h) {
            provisioning::CProfilo p;
            return h.showProfileForm(p, true, false, true) ? service::Outcome::Done
                                                           : service::Outcome::Cancelled;
        },
        "Instrument memory format...");
    QTreeWidget* log = b.window->activityView()->list();
    QStringList results;
    for (int i = 0; i < log->topLevelItemCount(); ++i) results << log->topLevelItem(i)->text(3);
    EXPECT_EQ(results, (QStringList{"File error", "Failed", "Failed", "Cancelled"}));
    EXPECT_FALSE(b.window->UCKRNVisual1().Collegato());
}

// A Cancel given when nothing runs belongs to no command: the next transfer runs to its end.
TEST(GuiFlow, ACancelBetweenCommandsDoesNotStopTheNextTransfer) {
    Workbench b("/FUL", "krn_cancel", 1);
    ASSERT_TRUE(b.s.started);
    auto& window = *b.window;
    auto& dialogs = b.dialogs;
    window.cancelButton()->click();
    EXPECT_TRUE(window.controller().Annullando());
    const std::string out = (b.program.path / backup::kMemoryFile).string();
    dialogs.inputs = {std::string("0"), std::string("1023")};
    // From the selection on, the panel names the instrument the running command works on.
    QString during;
    dialogs.onPrompt = [&](const std::string&) {
        if (during.isEmpty())
            during = window.instrumentPanel()->field("description") + " | " +
                     window.instrumentPanel()->field("state");
    };
    pick("COM:", [] {});
    const service::Outcome outcome = window.run(&service::ExportMemoryCommand, "Export memory...");
    EXPECT_EQ(outcome, service::Outcome::Done);
    EXPECT_TRUE(during.startsWith("COM: /")) << during.toStdString();
    EXPECT_TRUE(during.endsWith(" | Selected for the running command")) << during.toStdString();
    // The file saved is named in the log and stays in the status line.
    ASSERT_EQ(window.activityLog().lines().size(), 1u);
    EXPECT_NE(window.activityLog().lines()[0].find("| Done | saved: " + out), std::string::npos)
        << window.activityLog().lines()[0];
    EXPECT_EQ(window.statusLabel()->text().toStdString(), "saved: " + out);
    // One line per address, none left out.
    EXPECT_EQ(platform::readLines(out, platform::FileKind::MemoryDump)->size(), 1024u);
    EXPECT_FALSE(window.controller().Annullando());
}

}  // namespace
