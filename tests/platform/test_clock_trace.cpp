#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/frame_trace.h"
#include "platform/protocol.h"
#include "platform/version.h"

namespace {

TEST(VirtualClock, MovesOnlyWhenSleptAndKeepsTheCalendarInStep) {
    platform::VirtualClock clock;
    clock.setLocal({2099, 12, 31, 23, 59, 59, 4});
    const auto t0 = clock.now();
    EXPECT_EQ(clock.now(), t0);
    clock.sleepFor(std::chrono::milliseconds(1500));
    EXPECT_DOUBLE_EQ(clock.secondsSince(t0), 1.5);
    const platform::LocalDateTime t = clock.localNow();
    EXPECT_EQ(t.year, 2100);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(t.dayOfWeek, 5);  // Friday
}

TEST(Protocol, ChecksumIsTheLowByteOfTheSumWithZeroSentAsOne) {
    struct Case {
        platform::Bytes bytes;
        std::uint8_t chk;
    };
    const Case cases[] = {
        {{0x05, 0x0F, 0x23, 0x01, 0x00}, 0x38},
        {{0x02, 0x7F}, 0x81},
        {{0x02, 0xFE}, 0x01},
        {{0x01}, 0x01},
        {{0xFF, 0x01}, 0x01},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::frameChecksum(c.bytes), c.chk);
    EXPECT_STREQ(platform::commandName(15), "ReadNVRam1Byte");
    EXPECT_STREQ(platform::commandName(200), "Unknown");
}

TEST(FrameTrace, WritesOneLinePerFrame) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "krn_trace_test.txt").string();
    platform::VirtualClock clock;
    clock.setLocal({2026, 12, 6, 9, 5, 7, 0});
    {
        platform::FrameTrace trace(clock, path);
        ASSERT_TRUE(trace.ok());
        trace.frame("COM", platform::FrameTrace::Direction::Tx,
                    platform::Bytes{0x05, 0x0F, 0x23, 0x01, 0x00, 0x38}, 15);
        clock.sleepFor(std::chrono::microseconds(1250));
        trace.frame("COM", platform::FrameTrace::Direction::Rx, platform::Bytes{0x02, 0x7F, 0x81},
                    15);
        trace.note("USB", "exchange failed");
    }
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "# trace started 2026-12-06 09:05:07, krnsetup " + platform::versionText() +
                        "\n" +
                        "    0.000000 COM TX 05 0F 23 01 00 38  # 15 ReadNVRam1Byte\n"
                        "    0.001250 COM RX 02 7F 81  # 15 ReadNVRam1Byte\n"
                        "    0.001250 USB -- exchange failed\n");
    std::filesystem::remove(path);
}

}  // namespace
