// The operating system calls of platform/system.h and the "COM: n" rule for numbered ports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/serial_port.h"
#include "platform/system.h"

namespace {

namespace fs = std::filesystem;

class FixedPorts final : public platform::SerialPortEnumerator {
public:
    explicit FixedPorts(std::vector<platform::SerialPortInfo> list) : list_(std::move(list)) {}
    std::vector<platform::SerialPortInfo> ports() override { return list_; }

private:
    std::vector<platform::SerialPortInfo> list_;
};

platform::SerialPortInfo port(const std::string& location, int number) {
    platform::SerialPortInfo p;
    p.name = location;
    p.location = location;
    p.number = number;
    return p;
}

TEST(SerialNumbers, NumberedPortsAreNamedByTheirOwnNumberOthersByTheirPlace) {
    FixedPorts windows({port("COM3", 3), port("COM7", 7)});
    FixedPorts linux({port("/dev/ttyS0", 0), port("/dev/ttyUSB0", 0)});
    const struct {
        FixedPorts* ports;
        int number;
        const char* location;
    } cases[] = {
        {&windows, 3, "COM3"},     {&windows, 7, "COM7"},       {&windows, 1, ""},
        {&windows, 2, ""},         {&windows, 0, ""},           {&windows, -3, ""},
        {&linux, 1, "/dev/ttyS0"}, {&linux, 2, "/dev/ttyUSB0"}, {&linux, 3, ""},
        {&linux, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::serialLocationForNumber(*c.ports, c.number), c.location) << c.number;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(System, AnExclusiveFileIsCreatedOnceAndNeverOverwritten) {
    const fs::path dir = fs::temp_directory_path() / ("krn_excl_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "list.lock").string();
    EXPECT_TRUE(platform::createExclusiveFile(path, "station-a 12\n"));
    EXPECT_FALSE(platform::createExclusiveFile(path, "station-b 34\n"));
    EXPECT_EQ(readFile(path), "station-a 12\n");
    EXPECT_FALSE(platform::createExclusiveFile((dir / "missing" / "x.lock").string(), "x"));
    fs::remove_all(dir);
}

TEST(System, ProcessIdentityEndsWithTheProcessNumber) {
    const std::string who = platform::processIdentity();
    const std::string pid = " " + std::to_string(::getpid());
    ASSERT_GT(who.size(), pid.size());
    EXPECT_EQ(who.substr(who.size() - pid.size()), pid);
}

TEST(System, TheLocalAddressTowardsLoopbackIsLoopback) {
    EXPECT_EQ(platform::localAddressTowards("127.0.0.1", 65535), "127.0.0.1");
    EXPECT_EQ(platform::localAddressTowards("no address", 65535), "");
}

}  // namespace
