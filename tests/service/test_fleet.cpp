// The fleet backup in process: folder keys, backup order, the runner against simulated modules on
// virtual time (saved, silent, changed), the index and the status, the commit message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "service/fleet/fleet_backup.h"
#include "service/fleet/fleet_git.h"
#include "service/fleet/fleet_layout.h"
#include "service/fleet/fleet_members.h"
#include "service/fleet/fleet_record.h"
#include "sim/profiles.h"
#include "sim/sim_udp_socket.h"
#include "support/recording_dialogs.h"

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

// Three modules at 5001..5003 in process; 5004 has nobody behind it.
struct Network {
    platform::VirtualClock clock;
    std::vector<std::unique_ptr<sim::SimInstrument>> instruments;
    std::vector<std::unique_ptr<sim::SimEthernetModule>> modules;
    Network() {
        for (const char* p : {"p36e51", "p39e1060", "p41e1072"}) {
            instruments.push_back(std::make_unique<sim::SimInstrument>(*sim::findProfile(p)));
            modules.push_back(std::make_unique<sim::SimEthernetModule>(
                *instruments.back(), "0036119A000" + std::to_string(modules.size() + 1), p));
        }
    }
    fleet::Channels channels() {
        auto socket = std::make_unique<sim::SimUdpSocket>(clock);
        for (std::size_t i = 0; i < modules.size(); ++i)
            socket->addModule({modules[i].get(), static_cast<std::uint16_t>(5001 + i), 0});
        fleet::Channels c;
        c.socket = std::move(socket);
        return c;
    }
    std::vector<fleet::MemberResult> backup(const std::string& dir, const std::string& stamp) {
        std::vector<fleet::Member> members;
        for (int port = 5001; port <= 5004; ++port) {
            const std::string d = "IP: 127.0.0.1:" + std::to_string(port);
            members.push_back({d, fleet::instrumentKey(d, "", "s"), "", {}});
        }
        fleet::RunSettings run{dir, stamp, 1, false, nullptr, {}, {}};
        std::vector<int> order;
        run.onResult = [&](const fleet::MemberResult&, int done) { order.push_back(done); };
        auto results = fleet::backupFleet(members, run, clock, [this] { return channels(); });
        EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
        return results;
    }
};

// A module that answers the search and then not its address request is a failure of the run,
// reported without a conversation, not a module left out.
TEST(FleetMembers, AModuleThatGivesNoAddressIsReportedAsFailed) {
    TempDir dir;
    Network net;
    net.modules[2]->setCommandBehaviour("GIP", sim::SimEthernetModule::Behaviour::Silent);
    auto socket = std::make_unique<sim::SimUdpSocket>(net.clock);
    for (std::size_t i = 0; i < net.modules.size(); ++i)
        socket->addModule({net.modules[i].get(), static_cast<std::uint16_t>(5001 + i), 65535});
    testing_support::RecordingDialogs quiet;
    const fleet::Sources sources{false, false, true, {"127.0.0.1", 65535}};
    const auto members =
        fleet::discoverMembers(sources, {nullptr, nullptr, socket.get()}, net.clock, quiet, "s");
    ASSERT_EQ(members.size(), 3u);
    const std::string why = "The module answered the search but did not give its IP address.";
    EXPECT_EQ(std::tie(members[0].description, members[0].key, members[0].unreachable),
              std::make_tuple("IP:127.0.0.1:5001", "0036119A0001", ""));
    EXPECT_EQ(std::tie(members[2].key, members[2].unreachable),
              std::make_tuple("0036119A0003", why));
    const fleet::RunSettings run{dir.str(), "2026-12-07T070000", 1, false, nullptr, {}, {}};
    const auto results =
        fleet::backupFleet({members[2]}, run, net.clock, [] { return fleet::Channels{}; });
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(std::tie(results[0].saved, results[0].why), std::make_tuple(false, why));
    EXPECT_FALSE(fs::exists(dir.path / "0036119A0003"));
}

TEST(FleetBackup, SavesEveryAnsweringInstrumentAndReportsTheSilentOneThenOnlyTheChange) {
    TempDir dir;
    Network net;
    const auto first = net.backup(dir.str(), "2026-12-07T070000");
    ASSERT_EQ(first.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::tie(first[i].saved, first[i].file, first[i].previous),
                  std::make_tuple(true, first[i].member.key + "/2026-12-07T070000.ini", ""))
            << first[i].why;
    }
    EXPECT_EQ(first[0].name, "KRN-36");
    EXPECT_EQ(std::tie(first[3].saved, first[3].why),
              std::make_tuple(false, "Communication error"));
    std::string why;
    ASSERT_TRUE(fleet::recordRun(dir.str(), "s", "2026-12-07T070000", first, why)) << why;

    net.instruments[1]->nvram()[52] ^= 1;  // the acquisition frequency of the second one
    const auto second = net.backup(dir.str(), "2026-12-07T070000");
    EXPECT_EQ(second[1].file, second[1].member.key + "/2026-12-07T070000_2.ini");
    EXPECT_EQ(second[1].previous, second[1].member.key + "/2026-12-07T070000.ini");
    ASSERT_EQ(second[1].changes.size(), 1u);
    EXPECT_EQ(second[1].changes[0].key, "FREQACQ");
    EXPECT_TRUE(second[0].saved && !second[0].changed() && second[2].saved && !second[2].changed());
    EXPECT_EQ(fleet::commitMessage("2026-12-07T070000", "s", second),
              "Fleet backup 2026-12-07T070000 on s: 1 changed, 3 saved, 1 failed\n\nChanged:\n"
              "  127.0.0.1-5002@s (KRN-ELE): FREQACQ\n\nFailed:\n"
              "  127.0.0.1-5004@s: Communication error\n");
    ASSERT_TRUE(fleet::recordRun(dir.str(), "s", "2026-12-07T070000", second, why)) << why;

    const auto status = fleet::fleetStatus(dir.str());
    ASSERT_EQ(status.size(), 4u);
    EXPECT_EQ(std::tie(status[1].key, status[1].name, status[1].backups, status[1].lastChange),
              std::make_tuple("127.0.0.1-5002@s", "KRN-ELE", 2, "2026-12-07T070000_2"));
    EXPECT_EQ(status[0].lastChange, "2026-12-07T070000");  // never changed: its first backup
    EXPECT_EQ(std::tie(status[3].lastBackup, status[3].lastResult),
              std::make_tuple("", "failed: Communication error"));
}

}  // namespace
