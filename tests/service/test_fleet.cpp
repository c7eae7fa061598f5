// The fleet backup in process: folder keys, backup order, the list file, and an instrument that
// does not answer on virtual time. Saving, changes, the index, the status and the commit message
// are driven end to end through krnctl fleet backup.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "service/fleet/fleet_backup.h"
#include "service/fleet/fleet_layout.h"
#include "service/fleet/fleet_members.h"
#include "sim/sim_udp_socket.h"

namespace fleet = service::fleet;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("krn_svc_fleet_" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    std::string str() const { return path.string(); }
    void touch(const std::string& relative) const {
        fs::create_directories((path / relative).parent_path());
        std::ofstream(path / relative) << "[STRUMENTO]\r\n";
    }
};

TEST(FleetLayout, KeysNameTheChipTheModuleOrTheStationsPort) {
    struct Case {
        const char* description;
        const char* mac;
        const char* key;
    };
    const Case cases[] = {
        {"USB: QX300125", "", "QX300125"},
        {"IP:127.0.0.1:5001", "0036119A0001", "0036119A0001"},
        {"IP: 127.0.0.1:5001", "", "127.0.0.1-5001@line-1"},
        {"COM: 3", "", "COM3@line-1"},
        {"COM: /dev/ttyUSB0", "", "ttyUSB0@line-1"},
        {"USB: ../a b", "", "_._a_b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fleet::instrumentKey(c.description, c.mac, "line-1"), c.key) << c.description;
    EXPECT_EQ(fleet::stampOf({2026, 12, 7, 7, 1, 9, 1}), "2026-12-07T070109");
}

TEST(FleetLayout, BackupsInTimeOrderAndANewNameNeverTaken) {
    TempDir dir;
    for (const char* f : {"K/2026-12-07T070129_10.ini", "K/2026-12-07T070129.ini",
                          "K/2026-12-07T070129_2.ini", "K/2026-12-06T235959.ini", "K/notes.txt"})
        dir.touch(f);
    EXPECT_EQ(fleet::backupsOf(dir.str(), "K"),
              (std::vector<std::string>{"2026-12-06T235959.ini", "2026-12-07T070129.ini",
                                        "2026-12-07T070129_2.ini", "2026-12-07T070129_10.ini"}));
    EXPECT_EQ(fleet::newBackupName(dir.str(), "K", "2026-12-07T070129"), "2026-12-07T070129_3.ini");
    EXPECT_EQ(fleet::newBackupName(dir.str(), "K", "2026-12-08T000000"), "2026-12-08T000000.ini");
    dir.touch("index/line-1.ini");
    EXPECT_EQ(fleet::instrumentKeys(dir.str()), std::vector<std::string>{"K"});
}

TEST(FleetMembers, AListFileIsTakenWholeOrRefusedWithItsLine) {
    TempDir dir;
    const std::string list = (dir.path / "list.txt").string();
    std::ofstream(list)
        << "# line 2\r\nIP: 127.0.0.1:5001\r\n\r\nUSB: QX3001\r\nIP: 127.0.0.1:5001\r\n";
    const fleet::MemberList ok = fleet::readMembers(list, "s");
    EXPECT_EQ(ok.error, "");
    ASSERT_EQ(ok.members.size(), 2u);  // the repeated line is one instrument
    EXPECT_EQ(ok.members[1].key, "QX3001");
    std::ofstream(list) << "IP: 127.0.0.1:5001\nCOM: 0\n";
    const fleet::MemberList bad = fleet::readMembers(list, "s");
    EXPECT_TRUE(bad.members.empty());
    EXPECT_EQ(bad.error, list +
                             ", line 2: \"COM: 0\" is not an instrument description (USB: "
                             "serial, COM: port, IP: host:port).");
}

// An instrument that does not answer is reported with the link's failure, and gets no backup.
TEST(FleetBackup, AnInstrumentThatDoesNotAnswerIsReportedAsFailed) {
    TempDir dir;
    platform::VirtualClock clock;
    const std::string d = "IP: 127.0.0.1:5004";
    const fleet::RunSettings run{dir.str(), "2026-12-07T070000", 1, false, nullptr, {}, {}};
    const auto results =
        fleet::backupFleet({{d, fleet::instrumentKey(d, "", "s"), "", {}}}, run, clock, [&] {
            fleet::Channels c;
            c.socket = std::make_unique<sim::SimUdpSocket>(clock);
            return c;
        });
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(std::tie(results[0].saved, results[0].why),
              std::make_tuple(false, "Communication error"));
    EXPECT_TRUE(fleet::backupsOf(dir.str(), "127.0.0.1-5004@s").empty());
}

}  // namespace
