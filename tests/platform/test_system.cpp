// The operating system calls of platform/system.h and the "COM: n" rule for numbered ports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/serial_port.h"
#include "platform/system.h"

namespace {

class FixedPorts final : public platform::SerialPortEnumerator {
public:
    explicit FixedPorts(std::vector<std::pair<std::string, int>> list) {
        for (const auto& [location, number] : list) {
            platform::SerialPortInfo p;
            p.name = p.location = location;
            p.number = number;
            list_.push_back(p);
        }
    }
    std::vector<platform::SerialPortInfo> ports() override { return list_; }

private:
    std::vector<platform::SerialPortInfo> list_;
};

TEST(SerialNumbers, NumberedPortsAreNamedByTheirOwnNumberOthersByTheirPlace) {
    FixedPorts windows({{"COM3", 3}, {"COM7", 7}});
    FixedPorts linux({{"/dev/ttyS0", 0}, {"/dev/ttyUSB0", 0}});
    const std::tuple<FixedPorts*, int, const char*> cases[] = {
        {&windows, 7, "COM7"},     {&windows, 1, ""},           {&windows, 0, ""},
        {&linux, 1, "/dev/ttyS0"}, {&linux, 2, "/dev/ttyUSB0"}, {&linux, 3, ""},
    };
    for (const auto& [ports, number, location] : cases)
        EXPECT_EQ(platform::serialLocationForNumber(*ports, number), location) << number;
}

TEST(System, AnExclusiveFileIsCreatedOnceAndNeverOverwritten) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("krn_excl_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "list.lock").string();
    EXPECT_TRUE(platform::createExclusiveFile(path, "station-a 12\n"));
    EXPECT_FALSE(platform::createExclusiveFile(path, "station-b 34\n"));
    EXPECT_EQ(platform::readFile(path, platform::FileKind::Small).value, "station-a 12\n");
    EXPECT_FALSE(platform::createExclusiveFile((dir / "missing" / "x.lock").string(), "x"));
    fs::remove_all(dir);
}

TEST(System, ProcessIdentityEndsWithTheProcessNumberAndLoopbackIsReachedFromLoopback) {
    const std::string who = platform::processIdentity();
    const std::string pid = " " + std::to_string(::getpid());
    ASSERT_GT(who.size(), pid.size());
    EXPECT_EQ(who.substr(who.size() - pid.size()), pid);
    EXPECT_EQ(platform::localAddressTowards("127.0.0.1", 65535), "127.0.0.1");
    EXPECT_EQ(platform::localAddressTowards("no address", 65535), "");
}

}  // namespace
