// The desktop program's parts without widgets: the activity log and its daily file, what the
// window tells of an instrument and remembers of it, the menu's mnemonics, the command line and
// the serial rows of the selection.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app/activity_log.h"
#include "app/command_line.h"
#include "app/instrument_record.h"
#include "app/menu_model.h"
#include "link/selection.h"
#include "link/serial_enumeration.h"
#include "platform/version.h"
#include "support/recording_dialogs.h"

namespace {

using service::Outcome;

platform::LocalDateTime at(int day, int hour, int minute, int second) {
    platform::LocalDateTime t;
    t.year = 2026;
    t.month = 12;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ActivityLog, LinesHoldTimeCommandInstrumentResultAndMessage) {
    struct Case {
        app::ActivityEntry entry;
        std::string line;
    };
    const Case cases[] = {
        {{at(6, 9, 4, 5), "Clock...", "USB: QX3SIM0001 (KRN-41)", Outcome::Done, ""},
         "2026-12-06 09:04:05 | Clock... | USB: QX3SIM0001 (KRN-41) | Done | -"},
        {{at(6, 23, 59, 59), "Communication test...", "", Outcome::Cancelled, ""},
         "2026-12-06 23:59:59 | Communication test... | - | Cancelled | -"},
        {{at(7, 0, 0, 0), "Change instrument name...", "COM: /dev/ttyUSB0", Outcome::Failed,
          "Communication error\nCOM: /dev/ttyUSB0\n"},
         "2026-12-07 00:00:00 | Change instrument name... | COM: /dev/ttyUSB0 | Failed | "
         "Communication error COM: /dev/ttyUSB0"},
        {{at(7, 1, 2, 3), "Export memory...", "IP:127.0.0.1:10001", Outcome::FileError, "x"},
         "2026-12-07 01:02:03 | Export memory... | IP:127.0.0.1:10001 | File error | x"},
        {{at(7, 1, 2, 3), "Wait end...", "COM: 1", Outcome::Refused, "\r\n\t"},
         "2026-12-07 01:02:03 | Wait end... | COM: 1 | Refused | -"},
    };
    for (const Case& c : cases) EXPECT_EQ(app::formatLine(c.entry), c.line);
    EXPECT_EQ(app::dailyFileName(at(6, 23, 0, 0)), "activity-2026-12-06.txt");
}

TEST(ActivityLog, EachDayHasItsFileInTheProgramFolder) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_activity_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    app::ActivityLog log(dir.string());
    ASSERT_TRUE(log.add({at(6, 23, 59, 58), "Clock...", "COM: 1", Outcome::Done, "No clock"}));
    ASSERT_TRUE(log.add({at(6, 23, 59, 59), "Communication test...", "COM: 1", Outcome::Done, ""}));
    ASSERT_TRUE(log.add({at(7, 0, 0, 1), "Clock...", "COM: 1", Outcome::Failed, ""}));
    const std::string version = "# krnsetup " + platform::versionText() + "\n";
    EXPECT_EQ(fileText((dir / "activity-2026-12-06.txt").string()),
              version +
                  "2026-12-06 23:59:58 | Clock... | COM: 1 | Done | No clock\n"
                  "2026-12-06 23:59:59 | Communication test... | COM: 1 | Done | -\n");
    EXPECT_EQ(fileText((dir / "activity-2026-12-07.txt").string()),
              version + "2026-12-07 00:00:01 | Clock... | COM: 1 | Failed | -\n");
    // A second session of the same day appends.
    app::ActivityLog later(dir.string());
    ASSERT_TRUE(later.add({at(7, 8, 0, 0), "Clock...", "", Outcome::Cancelled, ""}));
    EXPECT_EQ(fileText((dir / "activity-2026-12-07.txt").string()),
              version + "2026-12-07 00:00:01 | Clock... | COM: 1 | Failed | -\n" + version +
                  "2026-12-07 08:00:00 | Clock... | - | Cancelled | -\n");
    EXPECT_EQ(log.lines().size(), 3u);
    // A folder that cannot be written keeps the line on screen and says so.
    app::ActivityLog nowhere((dir / "missing" / "deeper").string());
    EXPECT_FALSE(nowhere.add({at(7, 8, 0, 0), "Clock...", "", Outcome::Done, ""}));
    EXPECT_EQ(nowhere.lines().size(), 1u);
    std::filesystem::remove_all(dir);
}

TEST(ActivityLog, RecorderPassesEveryBoxOnAndRemembersTheMessagesShown) {
    testing_support::RecordingDialogs inner;
    inner.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    app::MessageRecorder recorder(inner);
    EXPECT_EQ(recorder.message({"Communication error\nCOM: 9", "", {}, {}, 0}),
              platform::MessageResult::Retry);
    EXPECT_EQ(recorder.message({"Communication error\nCOM: 9\n", "", {}, {}, 0}),
              platform::MessageResult::Cancel);
    inner.inputs = {std::string("KRN")};
    EXPECT_EQ(recorder.input("Name", "Title", ""), std::optional<std::string>("KRN"));
    EXPECT_EQ(inner.boxes.size(), 2u);
    EXPECT_EQ(recorder.take(), "Communication error COM: 9 / Communication error COM: 9");
    EXPECT_EQ(recorder.take(), "");
}

TEST(InstrumentRecord, ChannelSerialNumberAndText) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"USB: QX3SIM0001", "USB", "QX3SIM0001"},
        {"usb:QX1", "USB", "QX1"},
        {"COM: 3", "RS-232", ""},
        {"COM: /dev/ttyUSB0", "RS-232", ""},
        {"IP: 127.0.0.1:10001", "Ethernet", ""},
        {"IP: 127.0.0.1", "", ""},  // no port: no channel
        {"", "", ""},
    };
    for (const auto& [d, channel, serial] : cases) {
        EXPECT_EQ(app::channelName(d), channel) << d;
        EXPECT_EQ(app::serialNumberOf(d), serial) << d;
    }
    app::InstrumentSnapshot s;
    s.description = "COM: 1";
    EXPECT_EQ(app::instrumentText(s), "COM: 1");
    s.name = "KRN-36";
    EXPECT_EQ(app::instrumentText(s), "COM: 1 (KRN-36)");
    EXPECT_EQ(app::instrumentText({}), "");
}

TEST(InstrumentRecord, TheLastInstrumentIsKeptInTheSettings) {
    platform::MemorySettingsStore settings;
    EXPECT_EQ(app::lastInstrument(settings, "krnsetup"), "");
    app::rememberInstrument(settings, "krnsetup", "USB: QX3SIM0001");
    app::rememberInstrument(settings, "krnsetup", "");  // nothing chosen: the last one stays
    EXPECT_EQ(app::lastInstrument(settings, "krnsetup"), "USB: QX3SIM0001");
    EXPECT_EQ(settings.value("krnsetup", "Selection", "LastInstrument"), "USB: QX3SIM0001");
}

TEST(Menu, EveryMnemonicIsUniqueWithinItsMenuAndTheTextsStay) {
    std::map<std::string, std::set<char>> seen;
    for (const app::MenuEntry& e : app::menuTable()) {
        if (e.separator) continue;
        const std::string shown = app::menuCaptions().at(e.name);
        EXPECT_EQ(app::withoutMnemonic(shown), app::withoutMnemonic(e.caption)) << e.name;
        if (const char m = app::mnemonicOf(shown)) {
            EXPECT_TRUE(seen[e.parent ? e.parent : ""].insert(m).second)
                << e.name << ": '" << m << "' twice";
        }
        // An entry keeps a mnemonic when it had one.
        EXPECT_EQ(app::mnemonicOf(shown) != 0, app::mnemonicOf(e.caption) != 0) << e.name;
    }
    const std::pair<const char*, const char*> moved[] = {
        {"mnuOrologio", "&Clock..."},
        {"mnuEthSetup", "Setup et&hernet port..."},
        {"mnuImportMem", "Im&port memory..."},
        {"mnuSoloDifferenze", "Esporta &le differenze"},
        {"mnuExit", "Exi&t"},
        {"mnuFZeroDefault", "Change default &value for start force..."},
        {"mnuLumbroMOP", "Lumbro &M-OP setup"},
        {"mnuLumbroManuale", "Lumbro Manuale &setup..."},
        {"mnuLumbroMOPBloccoRitorno", "With &hydraulic return blocker"},
        {"mnuMOPBloccoAndCesto", "With blocker and good basket..."},
    };
    for (const auto& [name, caption] : moved) EXPECT_EQ(app::menuCaptions().at(name), caption);
    EXPECT_EQ(app::withoutMnemonic("Fish && &Chips"), "Fish & Chips");
    EXPECT_EQ(app::mnemonicOf("Fish && &Chips"), 'c');
}

TEST(CommandLine, SwitchesOptionsHelpAndErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string switches, folder, error;
        bool simulate, help;
        int quitAfter;
    };
    const Case cases[] = {
        {{"/FUL", "/cfg", "--simulate", "--folder", "/tmp/x"},
         "/FUL /cfg",
         "/tmp/x",
         "",
         true,
         false,
         0},
        {{"--help"}, "", "", "", false, true, 0},
        {{"-h", "/ZENKO"}, "/ZENKO", "", "", false, true, 0},
        {{"--quit-after", "1500"}, "", "", "", false, false, 1500},
        {{"--simulte"}, "", "", "unknown option --simulte", false, false, 0},
        {{"/FUL", "-x"}, "/FUL", "", "unknown option -x", false, false, 0},
        {{"--folder"}, "", "", "--folder needs a value", false, false, 0},
        {{"--trace"}, "", "", "--trace needs a value", false, false, 0},
        {{"--quit-after", "soon"},
         "",
         "",
         "--quit-after takes milliseconds, not 'soon'",
         false,
         false,
         0},
    };
    for (const Case& c : cases) {
        const app::CommandLine r = app::parseCommandLine(c.args);
        EXPECT_EQ(r.switches, c.switches) << c.args[0];
        EXPECT_EQ(r.folder, c.folder) << c.args[0];
        EXPECT_EQ(r.error, c.error) << c.args[0];
        EXPECT_EQ(r.simulate, c.simulate) << c.args[0];
        EXPECT_EQ(r.help, c.help) << c.args[0];
        EXPECT_EQ(r.quitAfterMs, c.quitAfter) << c.args[0];
    }
    const std::string usage = app::usageText();
    for (const char* option : {"/FUL", "/CFG", "/ZENKO", "--simulate", "--folder DIR",
                               "--trace FILE", "--quit-after MS", "--help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    char prog[] = "krnsetup", ful[] = "/FUL", help[] = "--help";
    char* withHelp[] = {prog, ful, help};
    char* without[] = {prog, ful};
    EXPECT_TRUE(app::asksForHelp(3, withHelp));
    EXPECT_FALSE(app::asksForHelp(2, without));
}

TEST(SelectionRows, SerialPortsByDevicePathOrByNumber) {
    krnlink::PortaSeriale byPath;
    byPath.Porta = 2;
    byPath.location = "/dev/ttyUSB0";
    krnlink::SelectionRow row = krnlink::serialRow(byPath);
    EXPECT_EQ(row.sn, "COM: /dev/ttyUSB0");
    EXPECT_EQ(row.name, "Instrument connected to ttyUSB0");
    EXPECT_EQ(row.info, "");
    byPath.location = "/tmp/simulated";
    EXPECT_EQ(krnlink::serialRow(byPath).name, "Instrument connected to /tmp/simulated");
    krnlink::PortaSeriale byNumber;
    byNumber.Porta = 3;
    byNumber.location = "COM3";
    row = krnlink::serialRow(byNumber);
    EXPECT_EQ(row.sn, "COM: 3");
    EXPECT_EQ(row.name, "Instrument connected to COM3");
    EXPECT_TRUE(krnlink::localRow({"", "USB: QX1", "", ""}));
    EXPECT_TRUE(krnlink::localRow({"", "COM: 3", "", ""}));
    EXPECT_FALSE(krnlink::localRow({"", "MAC: 00-11", "", ""}));
    EXPECT_FALSE(krnlink::localRow({"", "IP:127.0.0.1:5", "", ""}));
}

}  // namespace
