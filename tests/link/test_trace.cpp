// The support trace of the link: every byte out and in, each attempt, the recoveries, the drains
// and the module commands, one line per event.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/rig.h"

using sim::Fault;
using testing_support::Rig;
using Lines = std::vector<std::string>;

namespace {

// The rig's link writing its trace to a file.
struct TracedRig : Rig {
    TracedRig()
        : path((std::filesystem::temp_directory_path() /
                ("krn_link_trace_" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt"))
                   .string()),
          trace(std::make_unique<platform::FrameTrace>(clock, path)) {
        link.setTrace(trace.get());
        instrument.nvram()[0x123] = 0x7F;
    }
    ~TracedRig() {
        link.setTrace(nullptr);
        trace.reset();
        std::filesystem::remove(path);
    }
    // The lines, without their times, that the one-byte read at 0x123 added; it comes through or
    // not as `ok` says.
    Lines linesOfRead(bool ok) {
        const std::size_t from = lines().size();
        EXPECT_EQ(exchange({15, 0x23, 0x01, 0x00}), ok);
        Lines all = lines();
        return Lines(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
    }
    Lines lines() const {
        std::ifstream in(path);
        Lines out;
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

Lines withChannel(const char* channel, std::initializer_list<Lines> parts) {
    Lines out;
    for (const Lines& p : parts)
        for (const auto& l : p) out.push_back(std::string(channel) + " " + l);
    return out;
}

// The serial resynchronisation is checked byte for byte in the exchange tests.
TEST(LinkTrace, UsbShowsTheRecoveryAndTheLostDevice) {
    TracedRig rig;
    ASSERT_TRUE(rig.openUsb());
    rig.link.flags = {1072, false, false, false};
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    const Lines attempt1 = {kRequestLine, "-- attempt 1 of 2", "out 05 0F 23 01 00 38",
                            "in  05 0F 23 01 00 38", "-- only 0 of 1 bytes came"};
    EXPECT_EQ(
        rig.linesOfRead(true),
        withChannel("USB", {attempt1,
                            {"-- device reset", "out 00", "-- resynchronisation: zero burst",
                             "out 00 x256", "-- dropped 00 x257", "out 00", "in  00",
                             "-- resynchronised", "-- attempt 2 of 2", "out 05 0F 23 01 00 38",
                             "in  05 0F 23 01 00 38", "in  02", "in  7F 81", kAnswerLine}}));
    rig.usb.devices()[0].failReset = true;
    rig.usb.devices()[0].failOpen = true;
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    EXPECT_EQ(rig.linesOfRead(false),
              withChannel("USB", {attempt1,
                                  {"-- device reset failed; reopening QX3000001",
                                   "-- cannot reopen device QX3000001",
                                   "-- channel lost; link closed", "-- exchange failed"}}));
}

TEST(LinkTrace, EthernetShowsDatagramsDrainsForeignSendersAndModuleCommands) {
    TracedRig rig;
    ASSERT_TRUE(rig.openEthernet());
    rig.instrument.addFault({Fault::Kind::WrongChecksum});
    rig.socket.afterSend = [&] {
        rig.socket.inject(
            {platform::Bytes{0x02, 0x11, 0x13}, "127.0.0.2", testing_support::kDataPort});
        rig.socket.afterSend = nullptr;
    };
    EXPECT_EQ(rig.linesOfRead(true),
              withChannel("ETH", {{kRequestLine, "-- attempt 1 of 4", "out 05 0F 23 01 00 38",
                                   "-- ignored datagram from 127.0.0.2:1001: 02 11 13",
                                   "in  05 0F 23 01 00 38 02 7F 82", "-- wrong checksum",
                                   "out 00 x18", "in  00 x18", "-- drain: dropped 18 bytes",
                                   "-- attempt 2 of 4", "out 05 0F 23 01 00 38",
                                   "in  05 0F 23 01 00 38 02 7F 81", kAnswerLine}}));
    ASSERT_TRUE(rig.link.ComandoUDP("ENCOMMPC"));
    const Lines all = rig.lines();
    EXPECT_EQ(Lines(all.end() - 4, all.end()),
              withChannel("ETH", {{"-- module command ENCOMMPC", "out 45 4E 43 4F 4D 4D 50 43 0D",
                                   "in  41 0D", "-- module answer A"}}));
}

}  // namespace
