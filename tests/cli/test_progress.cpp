// krnctl's progress bar: the figures of a transfer counted in bytes, and the line of a stage
// counted in percent, which has none.
#include <gtest/gtest.h>

#include "cli/progress.h"

namespace {

TEST(TerminalProgress, BytesRateAndTimeLeftAndAPercentStageWithoutBytes) {
    using cli::TerminalProgress;
    // 128 KiB of 512 KiB in 64 s: 2 KiB/s, 384 KiB left = 192 s.
    EXPECT_EQ(TerminalProgress::byteFigures(131072, 524288, 64.0),
              "  128.0 KiB/512.0 KiB  2.0 KiB/s  3:12 left");
    // Nothing done yet, or no time passed: no rate to tell.
    EXPECT_EQ(TerminalProgress::byteFigures(0, 1024, 1.0), "  0.0 KiB/1.0 KiB");
    EXPECT_EQ(TerminalProgress::byteFigures(512, 1024, 0.0), "  0.5 KiB/1.0 KiB");
    // "Setup options..." counts 0..100: 40 of 100 is 40 %, not 0.0 KiB/0.1 KiB.
    EXPECT_EQ(TerminalProgress::line("Setup options...", 40, 100, 0, 3.0),
              "\rSetup options... [############                  ]  40%");
    EXPECT_EQ(TerminalProgress::line("Memory test:", 760, 760, 0, 3.0),
              "\rMemory test: [##############################] 100%");
    // 3200 steps of 10 bytes out of 6400: half of 62.5 KiB in 16 s.
    EXPECT_EQ(TerminalProgress::line("Formatting memory...", 3200, 6400, 10, 16.0),
              "\rFormatting memory... [###############               ]  50%"
              "  31.2 KiB/62.5 KiB  2.0 KiB/s  0:16 left");
}

}  // namespace
