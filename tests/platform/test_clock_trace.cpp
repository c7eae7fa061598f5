#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/frame_trace.h"
#include "platform/protocol.h"
#include "platform/version.h"

namespace {

TEST(Protocol, ChecksumIsTheLowByteOfTheSumWithZeroSentAsOne) {
    const std::pair<platform::Bytes, std::uint8_t> cases[] = {
        {{0x05, 0x0F, 0x23, 0x01, 0x00}, 0x38}, {{0x02, 0xFE}, 0x01}, {{0xFF, 0x01}, 0x01}};
    for (const auto& [bytes, chk] : cases) EXPECT_EQ(platform::frameChecksum(bytes), chk);
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
    EXPECT_EQ(platform::readFile(path, platform::FileKind::Small).value,
              "# trace started 2026-12-06 09:05:07, krnsetup " + platform::versionText() + "\n" +
                  "    0.000000 COM TX 05 0F 23 01 00 38  # 15 ReadNVRam1Byte\n"
                  "    0.001250 COM RX 02 7F 81  # 15 ReadNVRam1Byte\n"
                  "    0.001250 USB -- exchange failed\n");
    std::filesystem::remove(path);
}

}  // namespace
