// The desktop program's windows, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <filesystem>
#include <set>
#include <sstream>

#include "platform/text_file.h"

#include "app/clock_dialog.h"
#include "app/communication_dialog.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/menu_model.h"
#include "platform/files.h"
#include "platform/frame_trace.h"
#include "service/core/menu_commands.h"
#include "sim/sim_serial_port.h"
#include "support/gui_wait.h"
#include "support/instrument_rig.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"

namespace {

struct Gui : testing_support::OfflineEnvironment {
    explicit Gui(std::string switches = {})
        : testing_support::OfflineEnvironment("/tmp", std::move(switches)), window(env, &dialogs) {}
    testing_support::RecordingDialogs dialogs;
    app::FMain window;
};

// Per switches and level, the entries shown (+) and hidden (-).
TEST(MainWindow, MenuFollowsSwitchesAndLevel) {
    const struct {
        const char* switches;
        int level;
        const char* entries;
    } cases[] = {
        {"", 0,
         "-mnuPreferenze -mnuTestComm -mnuResetStory -mnuListSN -mnuCopiaMenu -mnuPLC -mnuUpdate "
         "+mnuInviaSetup +mnuOrologio +mnuOpzioniStrumento +mnuExit +mnuEthSetup "
         "+mnuCartellaProgramma -mnuVerifica"},  // the verification is a service entry
        {"/ful", 0,
         "+mnuPreferenze +mnuTestComm +mnuResetStory +mnuListSN +mnuPLC +mnuSetupYorumi "
         "+mnuVerifica"},
        {"/CFG /FUL", 0, "-mnuPreferenze"},  // /FUL only at the start
        {"/CFG", 0, "+mnuResetStory +mnuSalvaUtenti -mnuTestComm -mnuResetContatore"},
        {"/zenko", 0, "+mnuWriteEEprom"},
        {"", 1, "+mnuCopiaMenu -mnuListSN -mnuStazione"},
        {"", 2, "+mnuListSN -mnuCopiaMenu +mnuStazione"},
        {"", 3, "+mnuListSN +mnuFormatLumbro +mnuStazione"},
        {"/FUL /CFG /ZENKO", 3, "-mnuUpdate"},
        {"", -1, "-mnuUpdate"},
    };
    for (const auto& c : cases) {
        Gui g(c.switches);
        g.window.SetupCustomer(c.level);
        g.window.SetupMenu();
        std::istringstream in(c.entries);
        for (std::string w; in >> w;)
            EXPECT_EQ(g.window.action(w.substr(1))->isVisible(), w[0] == '+')
                << c.switches << " " << c.level << " " << w;
    }
}

TEST(MainWindow, CaptionStatusBarAndTheTwoCheckMarks) {
    Gui g("/FUL");
    QApplication::setApplicationVersion("1.2.3");
    g.window.SetupMenu();
    EXPECT_EQ(g.window.windowTitle(), "Ferro-Luxit Setup (Debug)");
    // The status bar: status text, bar and Cancel on one line, the bar not the window's width.
    EXPECT_EQ(
        std::tuple(g.window.progressBar()->isVisibleTo(&g.window),
                   g.window.statusLabel()->parentWidget(), g.window.cancelButton()->parentWidget()),
        std::tuple(false, g.window.statusBar(), g.window.statusBar()));
    EXPECT_LE(g.window.progressBar()->maximumWidth(), 220);

    // The two check marks of the File menu are the modes the commands honour.
    QAction* differences = g.window.action("mnuSoloDifferenze");
    QAction* verify = g.window.action("mnuVerifica");
    EXPECT_EQ(verify->text(), "&Verify transfers");
    // The verification beside the differences mode, above the USB identity.
    const QList<QAction*> file = g.window.action("mnuFile")->menu()->actions();
    ASSERT_GT(file.indexOf(verify), 0);
    EXPECT_EQ(file[file.indexOf(verify) + 1], g.window.action("mnuCambiaIdUSB"));
    for (const bool on : {true, false, true}) {
        differences->trigger();
        verify->trigger();
        EXPECT_EQ(std::tuple(differences->isChecked(), g.window.soloDifferenze(),
                             verify->isChecked(), g.window.verifica()),
                  std::tuple(on, on, on, on));
    }
    g.window.SetupMenu();  // a new menu starts without the differences mode
    EXPECT_EQ(std::tuple(differences->isChecked(), g.window.soloDifferenze()),
              std::tuple(false, false));
}

// Every entry without a command is greyed with its tip, every enabled entry has work behind
// it, and the menus as shown have no mnemonic twice.
TEST(MainWindow, NoEnabledEntryDoesNothingAndMnemonicsAreUnique) {
    Gui g("/FUL");
    g.window.SetupCustomer(3);
    g.window.SetupMenu();
    const auto& commands = service::menuCommands();
    for (const auto& e : app::menuTable()) {
        QAction* a = g.window.action(e.name);
        if (e.separator || a->menu() || !a->isVisible()) continue;
        const std::string name = e.name;
        const bool hasWork = commands.count(name) || name == "mnuPreferenze" || name == "mnuExit";
        EXPECT_EQ(std::tuple(a->isEnabled(), a->toolTip() == "Not available in this version."),
                  std::tuple(hasWork, !hasWork))
            << name;
    }
    for (QMenu* menu : g.window.findChildren<QMenu*>()) {
        EXPECT_TRUE(menu->toolTipsVisible());
        std::set<QChar> seen;
        for (QAction* a : menu->actions()) {
            const QString t = a->text();
            const qsizetype at = t.indexOf('&');
            if (at < 0 || at + 1 >= t.size()) continue;
            EXPECT_TRUE(seen.insert(t[at + 1].toLower()).second)
                << menu->title().toStdString() << ": " << t.toStdString();
        }
    }
}

// The entries the command lines add beyond the menu table: enabled, each before its entry.
TEST(MainWindow, EntriesBeyondTheTableStandBeforeTheEntryTheyName) {
    Gui g;
    g.window.SetupMenu();
    for (const service::MenuPlacement& p : service::menuPlacements()) {
        QAction* a = g.window.action(p.name);
        ASSERT_NE(a, nullptr) << p.name;
        EXPECT_EQ(std::tuple(a->text().toStdString(), a->isEnabled(), a->isVisible()),
                  std::tuple(p.caption, true, true));
        // One menu holds it, just before its entry.
        std::vector<QAction*> next;
        for (QMenu* menu : g.window.findChildren<QMenu*>())
            if (const auto at = menu->actions().indexOf(a); at >= 0)
                next.push_back(menu->actions().value(at + 1));
        EXPECT_EQ(next, std::vector<QAction*>{g.window.action(p.before)}) << p.name;
    }
}
TEST(MainWindow, SecondCloseRequestWhileClosingUnloadsOnce) {
    Gui g;
    g.window.show();
    g.window.close();  // asks a running transfer to stop, closes 100 ms later
    EXPECT_TRUE(g.window.isVisible());
    g.window.close();  // the second request finds the cancel flag set
    KRN_WAIT_FOR(!g.window.isVisible(), 2000);
    // The exit timer, stopped by the granted close, never unloads a second time.
    EXPECT_FALSE(testing_support::waitFor([&] { return g.window.unloads() != 1; }, 300));
}

// The main window on the simulated instruments.
struct SimulatedWindow : ::testing::Test {
    testing_support::SimulatedEnvironment s{"/FUL"};
    testing_support::RecordingDialogs dialogs;
    app::FMain window{s.env, &dialogs};
};
using Simulate = SimulatedWindow;

// (The attempts on every kind of description: service/test_controller.cpp; the clock and the
// test through the menus: test_gui_flow.cpp.)
TEST_F(Simulate, TheCommunicationTestNamesTheInstrumentAndCountsItsAttempts) {
    ASSERT_TRUE(s.started);
    // Both connection styles reach the chosen instrument.
    window.setChosenInstrument("COM: 1");
    ASSERT_TRUE(window.RichiediCollegamento());
    window.controller().Disconnect();
    ASSERT_TRUE(window.ApriCollegamento());
    window.UCKRNVisual1().ChiudiComunicazioni00(false);
    // The labels name the instrument (a USB attempt writes one byte and reads no name) and count
    // the attempts of their own dialog; the heartbeat goes 1..10, then back to 0.
    app::FTestComm com("COM: 1", window), usb("USB: QX3SIM0001", window);
    app::FTestComm absent("USB: QX-NONE", window);
    EXPECT_EQ(com.countsLabel()->text(), "OK: 0   NO: 0   Errors: 0.0%");
    com.tick(), com.tick(), usb.tick();
    for (int i = 0; i < 11; ++i) absent.tick();
    const auto labels = [](app::FTestComm& t) {
        return t.result()->text() + " | " + t.instrumentLabel()->text() + " | " +
               t.countsLabel()->text();
    };
    EXPECT_EQ(labels(com), "OK | Instrument: COM: 1 (KRN-36) | OK: 2   NO: 0   Errors: 0.0%");
    EXPECT_EQ(labels(usb), "OK | Instrument: USB: QX3SIM0001 | OK: 1   NO: 0   Errors: 0.0%");
    EXPECT_EQ(labels(absent), "NO | Instrument: USB: QX-NONE | OK: 0   NO: 11   Errors: 100.0%");
    app::FTestComm wrong("COM: 7", window);
    wrong.tick();
    EXPECT_EQ(wrong.countsLabel()->text(), "OK: 0   NO: 1   Errors: 100.0%");
    EXPECT_EQ(absent.heartbeat()->value(), 0);
}

TEST_F(Simulate, AnIpDescriptionWithoutPortSendsNothing) {
    ASSERT_TRUE(s.started);
    const std::string path = "/tmp/krn-noport-" + std::to_string(::getpid()) + ".trace";
    {
        platform::FrameTrace trace(s.clock, path);
        window.UCKRNVisual1().link().setTrace(&trace);
        app::FTestComm noPort("IP: 127.0.0.1", window);
        for (int i = 0; i < 3; ++i) noPort.tick();
        EXPECT_EQ(std::tuple(noPort.result()->text(), noPort.noCount()), std::tuple("NO", 3));
        window.UCKRNVisual1().link().setTrace(nullptr);
    }
    // The closing sequence after each attempt finds no open channel: nothing goes out.
    const auto lines = *platform::readLines(path, platform::FileKind::Report);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].find("ETH"), std::string::npos) << lines[i];
        if (lines[i].find(" TX ") != std::string::npos) {
            ASSERT_LT(i + 1, lines.size());
            EXPECT_NE(lines[i + 1].find("no open channel"), std::string::npos) << lines[i + 1];
        }
    }
    std::remove(path.c_str());
}

TEST(ClockDialog, TimesCarryTheirSecondsInEveryLocale) {
    const std::pair<const char*, const char*> formats[] = {
        {"HH:mm", "HH:mm:ss"},    {"h:mm AP", "h:mm:ss AP"},   {"HH.mm", "HH.mm.ss"},
        {"HH:mm:ss", "HH:mm:ss"}, {"H 'h' mm", "H 'h' mm ss"}, {"HH", "HH:ss"},
    };
    for (const auto& [in, out] : formats) EXPECT_EQ(app::timeFormatWithSeconds(in), out) << in;
    const platform::LocalDateTime t{2099, 12, 31, 23, 58, 47, 4};
    for (const char* name : {"en_US", "it_IT", "de_DE", "fr_FR", "fi_FI", "ja_JP", "C"}) {
        const QString shown = app::shortDateTime(t, QLocale(name));
        EXPECT_TRUE(shown.contains("58:47") || shown.contains("58.47"))
            << name << ": " << shown.toStdString();
    }
}

// Filled when shown; Enter closes without sending the clock, the button sends it; a silent
// instrument slows the reading to six seconds and keeps the last time shown.
TEST(ClockDialog, FilledWhenShownEnterDoesNotSendAndSilenceSlowsToSixSeconds) {
    testing_support::InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    app::FDataOra dialog(rig.control, rig.clock);
    EXPECT_TRUE(dialog.instrumentLabel()->text().isEmpty());
    dialog.show();
    EXPECT_FALSE(dialog.instrumentLabel()->text().isEmpty() || dialog.pcLabel()->text().isEmpty());
    const auto before = static_cast<std::ptrdiff_t>(rig.instrument.requests().size());
    QTest::keyClick(&dialog, Qt::Key_Return);
    const auto commands = rig.commands();
    EXPECT_EQ(std::count(commands.begin() + before, commands.end(), 28), 0) << "Enter sent it";
    EXPECT_FALSE(dialog.isVisible());
    dialog.findChild<QPushButton*>("cmdInvia")->click();
    EXPECT_EQ(rig.commands().back(), 28);
    for (const bool silent : {false, true, false}) {
        const QString shown = dialog.instrumentLabel()->text();
        rig.instrument.setSilent(silent);
        dialog.tick();
        EXPECT_EQ(dialog.interval(), silent ? 6000 : 200);
        if (!silent) continue;
        EXPECT_EQ(dialog.instrumentLabel()->text(), shown);
    }
}

TEST(LanguageDialog, AvailableWhenTheTextFileHoldsEntriesZeroToFour) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_lang_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, const std::vector<std::string>& lines) {
        ASSERT_TRUE(platform::writeTextLines((dir / name).string(), lines));
    };
    write("TestoIta.asm",
          {"; testi", "0 Pressa", "1 Lavoro", "", "2 Fase", "3 Forza", "4 Quota", "5 Altro"});
    write("TestoIng.asm", {"0 Press", "1 Job", "3 Force", "4 Position"});  // 2 missing
    write("TestoFra.asm",
          {"1 Travail", "0 Presse", "2 Phase", "3 Force", "4 Cote"});  // out of order
    for (const int language : {0, 1, 2, 3, 6})                         // 3 and 6: no file
        EXPECT_EQ(app::languageAvailable(dir.string(), language), language == 0) << language;
    std::filesystem::remove_all(dir);
}

}  // namespace
