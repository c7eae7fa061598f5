// The support trace of the link: every byte out and in, each attempt, the recoveries, the drains
// and the module commands, one line per event.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/rig.h"

using sim::Fault;
using testing_support::Rig;

namespace {

// The rig's link writing its trace to a file; lines() gives the lines without their times.
struct TracedRig : Rig {
    TracedRig()
        : path((std::filesystem::temp_directory_path() /
                ("krn_link_trace_" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt"))
                   .string()),
          trace(std::make_unique<platform::FrameTrace>(clock, path)) {
        link.setTrace(trace.get());
    }
    ~TracedRig() {
        link.setTrace(nullptr);
        trace.reset();
        std::filesystem::remove(path);
    }
    std::vector<std::string> lines() const {
        std::ifstream in(path);
        std::vector<std::string> out;
        std::string line;
        std::getline(in, line);  // the header
        while (std::getline(in, line)) out.push_back(line.size() > 13 ? line.substr(13) : line);
        return out;
    }
    std::string path;
    std::unique_ptr<platform::FrameTrace> trace;
};

// The request used below: a one-byte read at 0x000123, answered with 0x7F.
constexpr const char* kRequestLine = "TX 05 0F 23 01 00 38  # 15 ReadNVRam1Byte";
constexpr const char* kAnswerLine = "RX 02 7F 81  # 15 ReadNVRam1Byte";

std::vector<std::string> withChannel(const char* channel, std::vector<std::string> lines) {
    for (auto& l : lines) l = std::string(channel) + " " + l;
    return lines;
}

TEST(LinkTrace, SerialShowsEveryByteTheAttemptsAndTheResynchronisation) {
    TracedRig rig;
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.nvram()[0x123] = 0x7F;
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    const std::size_t from = rig.lines().size();
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    std::vector<std::string> echoed;
    for (const char* b : {"05", "0F", "23", "01", "00", "38"}) {
        echoed.push_back(std::string("out ") + b);
        echoed.push_back(std::string("in  ") + b);
    }
    std::vector<std::string> expected = {kRequestLine, "-- attempt 1 of 2"};
    expected.insert(expected.end(), echoed.begin(), echoed.end());
    expected.insert(
        expected.end(),
        {"-- no byte within 700 ms", "-- resynchronisation: zero byte, port reopened, zero burst",
         "out 00", "-- zero burst: 256 bytes sent", "-- dropped 00 x256", "out 00", "in  00",
         "-- resynchronised", "-- attempt 2 of 2"});
    expected.insert(expected.end(), echoed.begin(), echoed.end());
    expected.insert(expected.end(), {"in  02", "in  7F 81", kAnswerLine});
    const auto lines = rig.lines();
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end()),
        withChannel("COM", expected));
}

TEST(LinkTrace, UsbShowsTheRecoveryAndTheLostDevice) {
    TracedRig rig;
    ASSERT_TRUE(rig.openUsb());
    rig.link.flags = {1072, false, false, false};
    rig.instrument.nvram()[0x123] = 0x7F;
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    std::size_t from = rig.lines().size();
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    auto lines = rig.lines();
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end()),
        withChannel("USB", {kRequestLine, "-- attempt 1 of 2", "out 05 0F 23 01 00 38",
                            "in  05 0F 23 01 00 38", "-- only 0 of 1 bytes came", "-- device reset",
                            "out 00", "-- resynchronisation: zero burst", "out 00 x256",
                            "-- dropped 00 x257", "out 00", "in  00", "-- resynchronised",
                            "-- attempt 2 of 2", "out 05 0F 23 01 00 38", "in  05 0F 23 01 00 38",
                            "in  02", "in  7F 81", kAnswerLine}));

    rig.usb.devices()[0].failReset = true;
    rig.usb.devices()[0].failOpen = true;
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    from = rig.lines().size();
    EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}));
    lines = rig.lines();
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end()),
        withChannel("USB", {kRequestLine, "-- attempt 1 of 2", "out 05 0F 23 01 00 38",
                            "in  05 0F 23 01 00 38", "-- only 0 of 1 bytes came",
                            "-- device reset failed; reopening QX3000001",
                            "-- cannot reopen device QX3000001", "-- channel lost; link closed",
                            "-- exchange failed"}));
}

TEST(LinkTrace, EthernetShowsDatagramsDrainsForeignSendersAndModuleCommands) {
    TracedRig rig;
    ASSERT_TRUE(rig.openEthernet());
    rig.instrument.nvram()[0x123] = 0x7F;
    rig.instrument.addFault({Fault::Kind::WrongChecksum});
    rig.socket.afterSend = [&] {
        rig.socket.inject(
            {platform::Bytes{0x02, 0x11, 0x13}, "127.0.0.2", testing_support::kDataPort});
        rig.socket.afterSend = nullptr;
    };
    const std::size_t from = rig.lines().size();
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    ASSERT_TRUE(rig.link.ComandoUDP("ENCOMMPC"));
    const auto lines = rig.lines();
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end()),
        withChannel("ETH", {kRequestLine, "-- attempt 1 of 4", "out 05 0F 23 01 00 38",
                            "-- ignored datagram from 127.0.0.2:1001: 02 11 13",
                            "in  05 0F 23 01 00 38 02 7F 82", "-- wrong checksum", "out 00 x18",
                            "in  00 x18", "-- drain: dropped 18 bytes", "-- attempt 2 of 4",
                            "out 05 0F 23 01 00 38", "in  05 0F 23 01 00 38 02 7F 81", kAnswerLine,
                            "-- module command ENCOMMPC", "out 45 4E 43 4F 4D 4D 50 43 0D",
                            "in  41 0D", "-- module answer A"}));
}

}  // namespace
