// The instrument restart and the loader switch.
#include <gtest/gtest.h>

#include "instrument/open_rig.h"
#include "instrument/progress_recorder.h"

using testing_support::OpenRig;

namespace {

// The option codes and bytes, the configuration values and the press lock are read and written
// by the backup, restore, setting and conversation tests on every generation; here the restart
// and the loader switch.
TEST(Restart, ProgressRunsToEightyThenStepsOfTwoThenToTheEnd) {
    OpenRig rig("p36e51");
    // Command 19 gets no answer (two attempts and a failed resynchronisation: 2.1 s), then the
    // 14 s wait. The instrument stays silent for 22 s: the resynchronisations after the probe
    // waits ending at 17.6 s and 20.5 s fail (1.4 s each without progress), the one at 23.4 s
    // finds it again.
    rig.instrument.setRestartSilence(std::chrono::seconds(22));
    std::vector<std::pair<double, long>> events;  // time, value
    const auto t0 = rig.clock.now();
    testing_support::ProgressRecorder progress;
    progress.onUpdate = [&](long v) { events.emplace_back(rig.clock.secondsSince(t0), v); };
    ASSERT_TRUE(rig.control.ResetStrumento(0, 100, progress));

    long expected = 0;
    std::vector<long> pausedAt;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const auto [t, value] = events[i];
        ASSERT_TRUE(value == expected || value == expected + 1) << t;
        expected = value;
        if (i + 1 < events.size() && events[i + 1].first - t > 1.0) pausedAt.push_back(value);
    }
    EXPECT_EQ(expected, 100);
    // The 14 s wait ends at 80; failed probes pause at 82 and 84.
    EXPECT_EQ(pausedAt, (std::vector<long>{82, 84}));
    const auto at = [&](long v) {
        for (const auto& [t, value] : events)
            if (value == v) return t;
        return -1.0;
    };
    EXPECT_NEAR(at(80), 16.1, 0.1);
    EXPECT_NEAR(at(87), 23.4, 0.1);  // the last step, from 86 to 100, takes 1 s
    EXPECT_EQ(rig.instrument.restarts(), 1);
}

TEST(Restart, FailedFirstIdentificationSkipsTheProbes) {
    OpenRig rig("p36e51");
    rig.instrument.setSilent(true);
    const auto t0 = rig.clock.now();
    EXPECT_FALSE(rig.control.ResetStrumento(0, 100));
    // The failed command 1 and 19 cost their timeouts; then exactly 14 + 1 s of waiting.
    const double waited = rig.clock.secondsSince(t0);
    EXPECT_GT(waited, 15.0);
    EXPECT_LT(waited, 15.0 + 2 * 2.1 + 0.8);
}

// The firmware update takes instruments into the loader and out; here one already in it.
TEST(UpdateMode, AnInstrumentAlreadyInTheLoaderGetsOnlyTheIdentification) {
    OpenRig rig("p36e51");
    ASSERT_TRUE(rig.control.SetUpdateMode(true));
    EXPECT_EQ(rig.instrument.nvram()[11], 11 | 0x80);
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.SetUpdateMode(true));
    EXPECT_EQ(rig.commands(), std::vector<int>{1});
}

}  // namespace
