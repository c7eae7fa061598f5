// The desktop program's windows, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/text_file.h"

#include "app/clock_dialog.h"
#include "app/communication_dialog.h"
#include "app/instrument_panel.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/menu_model.h"
#include "app/selection_dialog.h"
#include "app/simulation.h"
#include "platform/frame_trace.h"
#include "service/core/menu_commands.h"
#include "sim/sim_serial_port.h"
#include "support/gui_wait.h"
#include "support/instrument_rig.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"

namespace {

struct Gui {
    explicit Gui(std::string switches = {})
        : usb(clock),
          ports({}),
          env{clock, settings, usb, ports, {"127.0.0.1", 9}, "/tmp", std::move(switches)},
          window(env, &dialogs) {}
    platform::SystemClock clock;
    platform::MemorySettingsStore settings;
    sim::SimUsbBridge usb;
    sim::SimPortEnumerator ports;
    app::Environment env;
    testing_support::RecordingDialogs dialogs;
    app::FMain window;
};

std::vector<std::string> visibleEntries(const std::string& switches, int level) {
    Gui g(switches);
    g.window.SetupCustomer(level);
    g.window.SetupMenu();
    std::vector<std::string> names;
    for (const auto& e : app::menuTable())
        if (!e.separator && g.window.action(e.name)->isVisible()) names.push_back(e.name);
    for (const char* own : {"mnuVerifica", "mnuCartellaProgramma"})
        if (g.window.action(own)->isVisible()) names.push_back(own);
    return names;
}

bool has(const std::vector<std::string>& v, const char* name) {
    return std::find(v.begin(), v.end(), name) != v.end();
}

TEST(MainWindow, MenuFollowsSwitchesAndLevel) {
    const auto plain = visibleEntries("", 0);
    for (const char* hidden :
         {"mnuPreferenze", "mnuTestComm", "mnuResetStory", "mnuListSN", "mnuCopiaMenu", "mnuPLC"})
        EXPECT_FALSE(has(plain, hidden)) << hidden;
    for (const char* shown : {"mnuInviaSetup", "mnuOrologio", "mnuOpzioniStrumento", "mnuExit",
                              "mnuEthSetup", "mnuCartellaProgramma"})
        EXPECT_TRUE(has(plain, shown)) << shown;
    // The verification is a service entry: not at level 0 without switches.
    EXPECT_FALSE(has(plain, "mnuVerifica"));

    const auto full = visibleEntries("/ful", 0);
    for (const char* shown : {"mnuPreferenze", "mnuTestComm", "mnuResetStory", "mnuListSN",
                              "mnuPLC", "mnuSetupYorumi", "mnuVerifica"})
        EXPECT_TRUE(has(full, shown)) << shown;
    EXPECT_FALSE(has(visibleEntries("/CFG /FUL", 0), "mnuPreferenze"));  // /FUL only at the start

    const auto cfg = visibleEntries("/CFG", 0);
    EXPECT_TRUE(has(cfg, "mnuResetStory"));
    EXPECT_TRUE(has(cfg, "mnuSalvaUtenti"));
    EXPECT_FALSE(has(cfg, "mnuTestComm"));
    EXPECT_FALSE(has(cfg, "mnuResetContatore"));

    EXPECT_TRUE(has(visibleEntries("/zenko", 0), "mnuWriteEEprom"));
    EXPECT_TRUE(has(visibleEntries("", 1), "mnuCopiaMenu"));
    EXPECT_FALSE(has(visibleEntries("", 1), "mnuListSN"));
    EXPECT_TRUE(has(visibleEntries("", 2), "mnuListSN"));
    EXPECT_FALSE(has(visibleEntries("", 2), "mnuCopiaMenu"));
    const auto three = visibleEntries("", 3);
    EXPECT_TRUE(has(three, "mnuListSN") && has(three, "mnuFormatLumbro"));
    for (const auto& [s, l] :
         std::vector<std::pair<std::string, int>>{{"", 0}, {"/FUL /CFG /ZENKO", 3}, {"", -1}})
        EXPECT_FALSE(has(visibleEntries(s, l), "mnuUpdate"));
}

TEST(MainWindow, CaptionVersionAndHiddenProgress) {
    Gui g("/FUL");
    QApplication::setApplicationVersion("1.2.3");
    g.window.SetupMenu();
    EXPECT_EQ(g.window.windowTitle(), "Ferro-Luxit Setup (Debug)");
    EXPECT_FALSE(g.window.progressBar()->isVisibleTo(&g.window));
    EXPECT_EQ(g.window.action("mnuOrologio")->text(), "&Clock...");
    EXPECT_TRUE(g.window.action("mnuNomeStrumento")->isEnabled());
    EXPECT_TRUE(g.window.action("mnuInviaTesto")->isEnabled());
    EXPECT_FALSE(g.window.action("mnuSetTDC")->isEnabled());  // no command behind it: greyed
    EXPECT_EQ(g.window.action("mnuSetTDC")->toolTip(), "Not available in this version.");
    // The status bar: status text, bar and Cancel on one line, the bar not the window's width.
    EXPECT_EQ(g.window.statusLabel()->parentWidget(), g.window.statusBar());
    EXPECT_EQ(g.window.cancelButton()->parentWidget(), g.window.statusBar());
    EXPECT_LE(g.window.progressBar()->maximumWidth(), 220);
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
        EXPECT_EQ(a->isEnabled(), hasWork) << name;
        EXPECT_EQ(a->toolTip() == "Not available in this version.", !hasWork) << name;
    }
    // The PLC, image and customer set-up entries this program has no command for yet.
    for (const char* withoutCommand :
         {"mnuInviaRisorse", "mnuInviaPrgPLC", "mnuCodificaImmagine", "mnuLumbroMOPninete",
          "mnuMOPBloccoAndCesto", "mnuLumbroManuale", "mnuSetupYorumi", "mnuOpzioniLavoro"}) {
        EXPECT_FALSE(g.window.action(withoutCommand)->isEnabled()) << withoutCommand;
        EXPECT_TRUE(g.window.action(withoutCommand)->isVisible()) << withoutCommand;
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
    EXPECT_EQ(g.window.action("mnuExit")->text(), "Exi&t");
}

// The entries the command lines add beyond the menu table: enabled, each before its entry.
TEST(MainWindow, EntriesBeyondTheTableStandBeforeTheEntryTheyName) {
    Gui g;
    g.window.SetupMenu();
    for (const service::MenuPlacement& p : service::menuPlacements()) {
        QAction* a = g.window.action(p.name);
        ASSERT_NE(a, nullptr) << p.name;
        EXPECT_EQ(a->text().toStdString(), p.caption);
        EXPECT_TRUE(a->isEnabled() && a->isVisible()) << p.name;
        int found = 0;
        for (QMenu* menu : g.window.findChildren<QMenu*>()) {
            const QList<QAction*> list = menu->actions();
            const auto at = list.indexOf(a);
            if (at < 0) continue;
            ++found;
            ASSERT_LT(at + 1, list.size());
            EXPECT_EQ(list[at + 1], g.window.action(p.before)) << p.name;
        }
        EXPECT_EQ(found, 1) << p.name;
    }
}

TEST(MainWindow, DifferencesCheckMarkIsTheModeTheSendHonours) {
    Gui g("/FUL");
    g.window.SetupMenu();
    QAction* entry = g.window.action("mnuSoloDifferenze");
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(g.window.soloDifferenze());
    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(g.window.soloDifferenze());
    entry->trigger();
    g.window.SetupMenu();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(g.window.soloDifferenze());
}

TEST(MainWindow, VerifyCheckMarkIsInTheFileMenuAndSetsTheVerification) {
    Gui g("/FUL");
    g.window.SetupMenu();
    QAction* entry = g.window.action("mnuVerifica");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text(), "&Verify transfers");
    EXPECT_TRUE(entry->isVisible());
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(g.window.verifica());
    // Beside the differences mode, above the USB identity.
    const QList<QAction*> file = g.window.action("mnuFile")->menu()->actions();
    const auto at = file.indexOf(entry);
    ASSERT_GT(at, 0);
    EXPECT_EQ(file[at + 1], g.window.action("mnuCambiaIdUSB"));
    entry->trigger();
    EXPECT_TRUE(g.window.verifica());
    entry->trigger();
    EXPECT_FALSE(g.window.verifica());
}

TEST(MainWindow, SecondCloseRequestWhileClosingUnloadsOnce) {
    Gui g;
    g.window.show();
    g.window.close();  // asks a running transfer to stop, closes 100 ms later
    EXPECT_TRUE(g.window.isVisible());
    g.window.close();  // the second request finds the cancel flag set
    KRN_WAIT_FOR(!g.window.isVisible(), 2000);
    // The exit timer, stopped by the granted close, never unloads a second time.
    EXPECT_FALSE(testing_support::waitFor([&] { return g.window.unloads() > 1; }, 300));
    EXPECT_EQ(g.window.unloads(), 1);
}

TEST(SelectionDialog, ListsSimulatedUsbSerialAndEthernetInstruments) {
    testing_support::SimulatedEnvironment s;
    ASSERT_TRUE(s.started);
    auto& simulation = s.simulation;
    testing_support::RecordingDialogs dialogs;
    app::FSceltaStrumento dialog(s.env, dialogs);
    dialog.fill({});
    EXPECT_TRUE(dialog.discovering());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    dialog.runDiscoveryToEnd();
    QTreeWidget* list = dialog.list();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "USB: QX3SIM0001");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Protocol: 41-1072");
    // The serial row by its device path, named after the device.
    const QString pty = QString::fromStdString(simulation.ptyPath());
    EXPECT_EQ(list->topLevelItem(1)->text(1), "COM: " + pty);
    EXPECT_EQ(list->topLevelItem(1)->text(0),
              "Instrument connected to " + QString(pty).remove(QRegularExpression("^/dev/")));
    EXPECT_EQ(list->topLevelItem(2)->text(1),
              QString("IP:127.0.0.1:%1").arg(simulation.dataPort()));
    EXPECT_EQ(list->topLevelItem(2)->text(0), "KRN-ELE");
    EXPECT_EQ(list->headerItem()->text(1), "Port/SN");
    list->setCurrentItem(list->topLevelItem(2));
    EXPECT_TRUE(dialog.okButton()->isEnabled());
}

TEST(Simulate, EveryInstrumentAnswersTheClockAndTheCommunicationTest) {
    testing_support::SimulatedEnvironment s("/FUL");
    ASSERT_TRUE(s.started);
    auto& simulation = s.simulation;
    auto& env = s.env;
    auto& clock = s.clock;
    testing_support::RecordingDialogs dialogs;
    app::FMain window(env, &dialogs);
    const std::string descriptions[] = {"USB: QX3SIM0001", "COM: 1", "COM: " + simulation.ptyPath(),
                                        "IP: 127.0.0.1:" + std::to_string(simulation.dataPort())};
    for (const std::string& d : descriptions) {
        auto& c = window.UCKRNVisual1();
        ASSERT_TRUE(instrument::ApriCollegamento(c, d, window.MSComm1(), window.Winsock1())) << d;
        app::FDataOra clockDialog(c, clock);
        clockDialog.tick();
        EXPECT_FALSE(clockDialog.instrumentLabel()->text().isEmpty()) << d;
        EXPECT_EQ(clockDialog.interval(), 200);
        c.ChiudiComunicazioni00(false);

        app::FTestComm test(d, window);
        test.tick();
        EXPECT_EQ(test.result()->text(), "OK") << d;
    }
    // Both connection styles reach the chosen instrument.
    window.setChosenInstrument("COM: 1");
    ASSERT_TRUE(window.RichiediCollegamento());
    window.controller().Disconnect();
    ASSERT_TRUE(window.ApriCollegamento());
    window.UCKRNVisual1().ChiudiComunicazioni00(false);
    app::FTestComm absent("USB: QX-NONE", window);
    for (int i = 0; i < 11; ++i) absent.tick();
    EXPECT_EQ(absent.result()->text(), "NO");
    EXPECT_EQ(absent.heartbeat()->value(), 0);  // 1..10, then back to 0
    EXPECT_EQ(absent.countsLabel()->text(), "OK: 0   NO: 11   Errors: 100.0%");
    EXPECT_EQ(absent.instrumentLabel()->text(), "Instrument: USB: QX-NONE");
}

// The main window on the simulated instruments, for the communication test's dialogs.
struct SimulatedWindow : ::testing::Test {
    testing_support::SimulatedEnvironment s{"/FUL"};
    testing_support::RecordingDialogs dialogs;
    app::FMain window{s.env, &dialogs};
};
using CommunicationTest = SimulatedWindow;

TEST_F(CommunicationTest, NamesTheInstrumentAndCountsTheAttempts) {
    ASSERT_TRUE(s.started);
    app::FTestComm test("COM: 1", window);
    EXPECT_EQ(test.countsLabel()->text(), "OK: 0   NO: 0   Errors: 0.0%");
    test.tick();
    test.tick();
    EXPECT_EQ(test.instrumentLabel()->text(), "Instrument: COM: 1 (KRN-36)");
    app::FTestComm wrong("COM: 7", window);
    wrong.tick();
    EXPECT_EQ(test.countsLabel()->text(), "OK: 2   NO: 0   Errors: 0.0%");
    EXPECT_EQ(wrong.countsLabel()->text(), "OK: 0   NO: 1   Errors: 100.0%");
    EXPECT_EQ(wrong.okCount() + wrong.noCount(), 1);
    // A USB attempt writes one byte and reads no name.
    app::FTestComm usb("USB: QX3SIM0001", window);
    usb.tick();
    EXPECT_EQ(usb.result()->text(), "OK");
    EXPECT_EQ(usb.instrumentLabel()->text(), "Instrument: USB: QX3SIM0001");
}

TEST_F(CommunicationTest, AnIpDescriptionWithoutPortSendsNothing) {
    ASSERT_TRUE(s.started);
    const std::string path = "/tmp/krn-noport-" + std::to_string(::getpid()) + ".trace";
    {
        platform::FrameTrace trace(s.clock, path);
        window.UCKRNVisual1().link().setTrace(&trace);
        app::FTestComm noPort("IP: 127.0.0.1", window);
        for (int i = 0; i < 3; ++i) noPort.tick();
        EXPECT_EQ(noPort.result()->text(), "NO");
        EXPECT_EQ(noPort.noCount(), 3);
        window.UCKRNVisual1().link().setTrace(nullptr);
    }
    // The closing sequence after each attempt finds no open channel: nothing goes out.
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
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

TEST(ClockDialog, FilledWhenShownAndEnterDoesNotSendTheClock) {
    testing_support::InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    app::FDataOra dialog(rig.control, rig.clock);
    EXPECT_TRUE(dialog.instrumentLabel()->text().isEmpty());
    dialog.show();
    EXPECT_FALSE(dialog.instrumentLabel()->text().isEmpty());
    EXPECT_FALSE(dialog.pcLabel()->text().isEmpty());
    const std::size_t before = rig.instrument.requests().size();
    QTest::keyClick(&dialog, Qt::Key_Return);
    const auto commands = rig.commands();
    for (std::size_t i = before; i < commands.size(); ++i)
        EXPECT_NE(commands[i], 28) << "Enter sent the clock";
    EXPECT_FALSE(dialog.isVisible());  // Enter closes
    dialog.findChild<QPushButton*>("cmdInvia")->click();
    EXPECT_EQ(rig.commands().back(), 28);  // the button does
}

TEST(ClockDialog, SilentInstrumentSlowsToSixSeconds) {
    testing_support::InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    app::FDataOra dialog(rig.control, rig.clock);
    dialog.tick();
    EXPECT_EQ(dialog.interval(), 200);
    const QString shown = dialog.instrumentLabel()->text();
    rig.instrument.setSilent(true);
    dialog.tick();
    EXPECT_EQ(dialog.interval(), 6000);
    EXPECT_EQ(dialog.instrumentLabel()->text(), shown);
    rig.instrument.setSilent(false);
    dialog.tick();
    EXPECT_EQ(dialog.interval(), 200);
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
    const std::string folder = dir.string();
    EXPECT_TRUE(app::languageAvailable(folder, 0));
    EXPECT_FALSE(app::languageAvailable(folder, 1));
    EXPECT_FALSE(app::languageAvailable(folder, 2));
    EXPECT_FALSE(app::languageAvailable(folder, 3));  // no file
    EXPECT_FALSE(app::languageAvailable(folder, 6));
    std::filesystem::remove_all(dir);
}

}  // namespace
