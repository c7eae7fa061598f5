// The desktop program's windows, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "platform/text_file.h"

#include "app/clock_dialog.h"
#include "app/comm_test.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/menu_model.h"
#include "app/selection_dialog.h"
#include "app/simulation.h"
#include "sim/sim_serial_port.h"
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
    for (const char* shown :
         {"mnuInviaSetup", "mnuOrologio", "mnuOpzioniStrumento", "mnuExit", "mnuEthSetup"})
        EXPECT_TRUE(has(plain, shown)) << shown;

    const auto full = visibleEntries("/ful", 0);
    for (const char* shown :
         {"mnuPreferenze", "mnuTestComm", "mnuResetStory", "mnuListSN", "mnuPLC", "mnuSetupYorumi"})
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
    EXPECT_FALSE(g.window.action("mnuInviaRisorse")->isEnabled());  // no command of its own
    EXPECT_TRUE(g.window.action("mnuSetTDC")->isEnabled());         // no action
}

TEST(MainWindow, DifferencesCheckMarkIsTheModeTheSendHonours) {
    Gui g("/FUL");
    g.window.SetupMenu();
    QAction* entry = g.window.action("mnuSoloDifferenze");
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(g.window.soloDifferenze);
    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(g.window.soloDifferenze);
    entry->trigger();
    g.window.SetupMenu();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(g.window.soloDifferenze);
}

TEST(MainWindow, SecondCloseRequestWhileClosingUnloadsOnce) {
    Gui g;
    g.window.show();
    g.window.close();  // asks a running transfer to stop, closes 100 ms later
    EXPECT_TRUE(g.window.isVisible());
    g.window.close();  // the second request finds the cancel flag set
    QTest::qWait(250);
    EXPECT_FALSE(g.window.isVisible());
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
    EXPECT_EQ(list->topLevelItem(1)->text(1), "COM: 1");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "Instrument connected to COM1");
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
    const std::string descriptions[] = {"USB: QX3SIM0001", "COM: 1",
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
    app::FTestComm noPort("IP: 127.0.0.1", window);
    noPort.tick();
    EXPECT_EQ(noPort.result()->text(), "NO");
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
