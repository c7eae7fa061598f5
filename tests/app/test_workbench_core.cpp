// The desktop program's parts without widgets: the activity log and its daily file, what the
// window tells of an instrument and remembers of it, the command line and the serial rows of the
// selection.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/activity_log.h"
#include "app/command_line.h"
#include "app/instrument_record.h"
#include "link/selection.h"
#include "link/serial_enumeration.h"
#include "platform/files.h"
#include "platform/version.h"
#include "support/recording_dialogs.h"

namespace {

using service::Outcome;

platform::LocalDateTime at(int day, int hour, int minute, int second) {
    return {2026, 12, day, hour, minute, second, 0};
}

std::string fileText(const std::string& path) {
    return platform::readFile(path, platform::FileKind::Report).value.value_or("");
}

TEST(ActivityLog, LinesHoldTimeCommandInstrumentResultAndMessage) {
    struct Case {
        app::ActivityEntry entry;
        std::string line;
    };
    const Case cases[] = {
        {{at(6, 9, 4, 5), "Clock...", "USB: QX3SIM0001 (KRN-41)", Outcome::Done, ""},
         "2026-12-06 09:04:05 | Clock... | USB: QX3SIM0001 (KRN-41) | Done | -"},
        {{at(7, 0, 0, 0), "Change instrument name...", "COM: /dev/ttyUSB0", Outcome::Failed,
          "Communication error\nCOM: /dev/ttyUSB0\n"},
         "2026-12-07 00:00:00 | Change instrument name... | COM: /dev/ttyUSB0 | Failed | "
         "Communication error COM: /dev/ttyUSB0"},
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
    // Three lines over midnight, then a second session of the same day, which appends.
    app::ActivityLog log(dir.string()), later(dir.string());
    EXPECT_TRUE(log.add({at(6, 23, 59, 58), "Clock...", "COM: 1", Outcome::Done, "No clock"}) &&
                log.add({at(6, 23, 59, 59), "Clock...", "COM: 1", Outcome::Done, ""}) &&
                log.add({at(7, 0, 0, 1), "Clock...", "COM: 1", Outcome::Failed, ""}) &&
                later.add({at(7, 8, 0, 0), "Clock...", "", Outcome::Cancelled, ""}));
    const std::string version = "# krnsetup " + platform::versionText() + "\n";
    EXPECT_EQ(std::tuple(fileText((dir / "activity-2026-12-06.txt").string()),
                         fileText((dir / "activity-2026-12-07.txt").string()), log.lines().size()),
              std::tuple(version + "2026-12-06 23:59:58 | Clock... | COM: 1 | Done | No clock\n" +
                             "2026-12-06 23:59:59 | Clock... | COM: 1 | Done | -\n",
                         version + "2026-12-07 00:00:01 | Clock... | COM: 1 | Failed | -\n" +
                             version + "2026-12-07 08:00:00 | Clock... | - | Cancelled | -\n",
                         3u));
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
    inner.inputs = {std::string("KRN")};
    // Braces: the calls run in this order.
    EXPECT_EQ((std::tuple{recorder.message({"Communication error\nCOM: 9", "", {}, {}, 0}),
                          recorder.message({"Communication error\nCOM: 9\n", "", {}, {}, 0}),
                          recorder.input("Name", "Title", "").value_or(""), inner.boxes.size(),
                          recorder.take(), recorder.take()}),
              std::tuple(platform::MessageResult::Retry, platform::MessageResult::Cancel, "KRN", 2u,
                         "Communication error COM: 9 / Communication error COM: 9", ""));
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
    for (const auto& [d, channel, serial] : cases)
        EXPECT_EQ(std::tuple(app::channelName(d), app::serialNumberOf(d)),
                  std::tuple(channel, serial))
            << d;
    app::InstrumentSnapshot s;
    s.description = "COM: 1";
    const std::string alone = app::instrumentText(s);
    s.name = "KRN-36";
    EXPECT_EQ(std::tuple(alone, app::instrumentText(s), app::instrumentText({})),
              std::tuple("COM: 1", "COM: 1 (KRN-36)", ""));
    // The last instrument is kept in the settings; nothing chosen: the last one stays.
    platform::MemorySettingsStore settings;
    app::rememberInstrument(settings, "krnsetup", "USB: QX3SIM0001");
    app::rememberInstrument(settings, "krnsetup", "");
    EXPECT_EQ(app::lastInstrument(settings, "krnsetup"), "USB: QX3SIM0001");
}

TEST(CommandLine, SwitchesOptionsHelpAndErrors) {
    // What was parsed, as "switches|folder|error|flags|quit-after".
    const auto parsed = [](const app::CommandLine& r) {
        return r.switches + "|" + r.folder + "|" + r.error + "|" + (r.simulate ? "simulate" : "") +
               (r.help ? "help" : "") + "|" + std::to_string(r.quitAfterMs);
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/FUL", "/cfg", "--simulate", "--folder", "/tmp/x"}, "/FUL /cfg|/tmp/x||simulate|0"},
        {{"--help"}, "|||help|0"},
        {{"-h", "/ZENKO"}, "/ZENKO|||help|0"},
        {{"--quit-after", "1500"}, "||||1500"},
        {{"--simulte"}, "||unknown option --simulte||0"},
        {{"/FUL", "-x"}, "/FUL||unknown option -x||0"},
        {{"--folder"}, "||--folder needs a value||0"},
        {{"--trace"}, "||--trace needs a value||0"},
        {{"--quit-after", "soon"}, "||--quit-after takes milliseconds, not 'soon'||0"},
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(parsed(app::parseCommandLine(args)), expected) << args[0];
    for (const char* option : {"/FUL", "/CFG", "/ZENKO", "--simulate", "--folder DIR",
                               "--trace FILE", "--quit-after MS", "--help"})
        EXPECT_NE(app::usageText().find(option), std::string::npos) << option;
    char prog[] = "krnsetup", ful[] = "/FUL", help[] = "--help";
    char* argv[] = {prog, ful, help};
    EXPECT_EQ(std::tuple(app::asksForHelp(3, argv), app::asksForHelp(2, argv)),
              std::tuple(true, false));
}

TEST(SelectionRows, SerialPortsByDevicePathOrByNumber) {
    const struct {
        std::int16_t port;
        const char* location;
        std::string row;  // "SN | name | info"
    } cases[] = {
        {2, "/dev/ttyUSB0", "COM: /dev/ttyUSB0 | Instrument connected to ttyUSB0 | "},
        {2, "/tmp/simulated", "COM: /tmp/simulated | Instrument connected to /tmp/simulated | "},
        {3, "COM3", "COM: 3 | Instrument connected to COM3 | "},
    };
    for (const auto& c : cases) {
        krnlink::PortaSeriale port;
        std::tie(port.Porta, port.location) = std::tuple(c.port, c.location);
        const krnlink::SelectionRow r = krnlink::serialRow(port);
        EXPECT_EQ(r.sn + " | " + r.name + " | " + r.info, c.row);
    }
    std::vector<bool> local;
    for (const char* sn : {"USB: QX1", "COM: 3", "MAC: 00-11", "IP:127.0.0.1:5"})
        local.push_back(krnlink::localRow({"", sn, "", ""}));
    EXPECT_EQ(local, (std::vector<bool>{true, true, false, false}));
}

}  // namespace
