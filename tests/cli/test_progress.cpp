// The figures of krnctl's progress bar for a transfer counted in bytes.
#include <gtest/gtest.h>

#include "cli/progress.h"

namespace {

TEST(TerminalProgress, BytesRateAndTimeLeft) {
    using cli::TerminalProgress;
    // 128 KiB of 512 KiB in 64 s: 2 KiB/s, 384 KiB left = 192 s.
    EXPECT_EQ(TerminalProgress::byteFigures(131072, 524288, 64.0),
              "  128.0 KiB/512.0 KiB  2.0 KiB/s  3:12 left");
    // Nothing done yet, or no time passed: no rate to tell.
    EXPECT_EQ(TerminalProgress::byteFigures(0, 1024, 1.0), "  0.0 KiB/1.0 KiB");
    EXPECT_EQ(TerminalProgress::byteFigures(512, 1024, 0.0), "  0.5 KiB/1.0 KiB");
}

}  // namespace
