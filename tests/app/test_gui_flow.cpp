// The desktop program driven as the technician drives it: the password box, then "&Clock..." and
// "Communication test..." on each simulated instrument, through the modal dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

#include "app/access.h"
#include "app/clock_dialog.h"
#include "app/communication_dialog.h"
#include "app/instrument_panel.h"
#include "app/main_window.h"
#include "app/password_dialog.h"
#include "app/profile_dialog.h"
#include "app/screen_copy_dialog.h"
#include "app/selection_dialog.h"
#include "app/simulation.h"
#include "backup/memory_files.h"
#include "platform/files.h"
#include "platform/version.h"
#include "resources/serial_list.h"
#include "service/backup/memory_commands.h"
#include "sim/sim_serial_port.h"
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

TEST(GuiFlow, PasswordThenClockAndCommunicationTestOnEverySimulatedInstrument) {
    Workbench b("/FUL", "krn_password", 1);
    ASSERT_TRUE(b.s.started);
    auto& window = *b.window;
    app::FPassword password;
    onModal<app::FPassword>([](app::FPassword* p) {
        p->field()->setText("2718tecnic");
        p->accept();
    });
    const auto access =
        app::Verifica("Access password", b.s.env.application, b.s.settings, password, b.dialogs);
    ASSERT_TRUE(access.accepted);
    EXPECT_EQ(access.level, 1);  // the level the window shows

    const QString rows[] = {"USB:", "COM:", "IP:"};
    for (const QString& row : rows) {
        QString instrumentTime;
        pick(row, [&instrumentTime] {
            closeWhen<app::FDataOra>(
                [](app::FDataOra* d) { return !d->instrumentLabel()->text().isEmpty(); },
                [&instrumentTime](app::FDataOra* d) {
                    instrumentTime = d->instrumentLabel()->text();
                });
        });
        window.action("mnuOrologio")->trigger();
        EXPECT_FALSE(instrumentTime.isEmpty()) << row.toStdString();

        QString result;
        pick(row, [&result] {
            closeWhen<app::FTestComm>(
                [](app::FTestComm* d) { return d->okCount() > 0; },
                [&result](app::FTestComm* d) { result = d->result()->text(); });
        });
        window.action("mnuTestComm")->trigger();
        EXPECT_EQ(result, "OK") << row.toStdString();
    }
    EXPECT_TRUE(b.dialogs.boxes.empty());
    EXPECT_FALSE(window.UCKRNVisual1().Collegato());
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
        ASSERT_EQ(log->topLevelItemCount(), 3);
        const char* commands[] = {"Clock...", "Communication test...", "Change instrument name..."};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(log->topLevelItem(i)->text(1), commands[i]);
            EXPECT_TRUE(log->topLevelItem(i)->text(2).startsWith(usb));
            EXPECT_EQ(log->topLevelItem(i)->text(3), "Done");
        }
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
// whose every attempt was NO and a screen copy that reached nothing failed.
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
    QTreeWidget* log = b.window->activityView()->list();
    ASSERT_EQ(log->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(log->topLevelItem(i)->text(3), i == 0 ? "File error" : "Failed") << i;
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

// "Instrument memory format..." opens the profile form (FProfilo) for the chosen instrument;
// Cancel there ends the command before any question or write.
TEST(GuiFlow, TheFormatOpensTheProfileFormAndItsCancelEndsTheCommand) {
    Workbench b("", "krn_format", 0);
    ASSERT_TRUE(b.s.started);
    // The format checks the fonts, texts and menus of the program folder first.
    for (const auto& e : std::filesystem::directory_iterator(KRN_DATA_DIR))
        std::filesystem::copy_file(e.path(), b.program.path / e.path().filename());
    auto& window = *b.window;
    bool formShown = false;
    pick("COM:", [&formShown] {
        // The clock dialog may come first (the simulated clock differs from the computer's).
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, &formShown] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* clock = qobject_cast<app::FDataOra*>(w)) clock->accept();
            if (auto* form = qobject_cast<app::FProfilo*>(w)) {
                formShown = true;
                timer->stop();
                timer->deleteLater();
                form->reject();
            }
        });
        timer->start(20);
    });
    window.action("mnuInviaSetup")->trigger();
    EXPECT_TRUE(formShown);
    EXPECT_TRUE(b.dialogs.boxes.empty());
    EXPECT_FALSE(window.UCKRNVisual1().Collegato());
}

}  // namespace
