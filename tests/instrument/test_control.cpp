// Options, single configuration values, press and keyboard locks, restart, loader switch.
#include <gtest/gtest.h>

#include "instrument/open_rig.h"
#include "instrument/progress_recorder.h"
#include "support/instrument_rig.h"

using testing_support::InstrumentRig;
using testing_support::OpenRig;

namespace {

sim::Profile withVersion(const char* profile, int version) {
    sim::Profile p = *sim::findProfile(profile);
    p.version = static_cast<std::uint16_t>(version);
    return p;
}

// One option for each rule of the table: older and newer codes, electric presses only or
// never, extension ranges, the firmware version.
TEST(Options, CodesFollowTheGenerationTable) {
    const struct {
        const char* key;
        std::array<int, 4> codes;  // p17e23, p36e51, p39e1060 (electric), p41e1072
    } cases[] = {
        {"opstL_MOP", {0x10, 0x17, 0x17, 0x17}},
        {"opstU_TIENIFRENO", {0x30, 0x106, 0x30, 0x30}},
        {"opzst_PWSCELTALAVORO", {-1, 0x33, -1, -1}},
        {"opst_BAIONETTA", {-1, -1, -1, -1}},
        {"opst_AUTO_RESTART_SAFETY", {-1, -1, 0x34, -1}},
        {"ophide_ENTRAMBIARRESTI", {-1, 0x72, 0x72, -1}},
        {"ophide_ESEGUISUBITO", {-1, -1, -1, 0x74}},
        {"opstU_LAVRISERVATI", {-1, 0x32, 0x32, 0x97}},  // older: only above 23
        {"opSELJOB_TOOLC", {-1, -1, -1, 0x45}},
        {"no such option", {-1, -1, -1, -1}},
    };
    const char* profiles[] = {"p17e23", "p36e51", "p39e1060", "p41e1072"};
    for (std::size_t p = 0; p < 4; ++p) {
        OpenRig rig(profiles[p]);
        for (const auto& c : cases)
            EXPECT_EQ(rig.control.options().CodiceOpzione(c.key), c.codes[p])
                << profiles[p] << " " << c.key;
    }
    // From version 3.82 on the reserved jobs have a code of their own.
    for (const auto& [version, code] : {std::pair(381, 0x32), std::pair(382, 0x37)}) {
        sim::Profile p = withVersion("p36e51", version);
        p.extensionByte = 60;
        p.formatNumber = 11;
        OpenRig rig(p);
        EXPECT_EQ(rig.control.options().CodiceOpzione("opstU_LAVRISERVATI"), code);
    }
}

TEST(Options, ReadsTheOptionBytesAndTellsWhichAreSet) {
    OpenRig rig("p36e51");
    const auto& o = rig.control.options();
    // Entries in reading order: 100, 101, 208, 242, 201, 240, 244, 103, 56, 57, 511.
    EXPECT_EQ(o.OpzioniStrumento, (std::array<std::int16_t, 11>{0x81, 0x08, 0x10, 0x20, 0x01, 0x04,
                                                                0x43, 0x02, 0x03, 0x01, 0}));
    const std::pair<const char*, bool> cases[] = {
        {"opstL_MOP", true},          // 0x17: group 1 (NVRAM 100 = 0x81) bit 7
        {"opstL_PCSEMPRE", false},    // 0x16: bit 6
        {"opstU_REAZGO", false},      // 0x12: bit 2
        {"opfaCELLALOWFORCE", true},  // 0x66: group 6 (NVRAM 244 = 0x43) bit 6
        {"opfaCELLEDIVERSE", false},  // 0x65: bit 5
        {"ophide_QUOTEREL", true},    // 0x70: group 7 (NVRAM 56 = 0x03) bit 0
        {"prefNOSHOWVAL", false},     // 0x90: group 9 (NVRAM 103 = 0x02) bit 0
        {"prefSOVRAP", true},         // 0x91: bit 1
        {"opstL_CESTOUNO", false},    // 0x100: the extended word, cleared
        {"opst_BAIONETTA", false},    // absent on this generation
    };
    for (const auto& [key, set] : cases) EXPECT_EQ(o.OpzioneAttiva(key), set) << key;
}

TEST(ConfigurationValues, FilterNeedsVersion249) {
    for (int version : {248, 249}) {
        OpenRig rig(withVersion("p36e51", version));
        const bool has = version == 249;
        EXPECT_EQ(rig.control.configuration().WriteFiltroForza(9), has);
        EXPECT_EQ(rig.instrument.requests().size(), has ? 1u : 0u);
        EXPECT_EQ(rig.control.configuration().FiltroForza(), has ? 9 : 4);
    }
}

TEST(ConfigurationValues, HitCounter) {
    const struct {
        const char* profile;
        std::uint8_t format;  // NVRAM byte 11
        std::uint8_t top;     // NVRAM byte 75
        std::int32_t expected;
    } cases[] = {
        {"p36e51", 11, 0, 123456},
        {"p36e51", 11, 255, 123456 + 127 * 16777216},
        {"p36e51", 10, 0, 0},  // format 10: the counter is not there
        {"p17e23", 2, 0, 0},   // extension below 51
    };
    for (const auto& c : cases) {
        OpenRig rig(c.profile);
        rig.instrument.nvram()[11] = c.format;
        rig.instrument.nvram()[75] = c.top;
        ASSERT_TRUE(rig.control.LeggiContaColpi());
        EXPECT_EQ(rig.control.ContaColpi(), c.expected) << c.profile << " " << int(c.top);
    }
    OpenRig rig("p36e51"), old("p17e23");
    ASSERT_TRUE(rig.control.WriteContaColpi(0x01020304));
    EXPECT_EQ(rig.instrument.nvram()[72], 4);
    EXPECT_EQ(rig.instrument.nvram()[75], 1);
    EXPECT_TRUE(old.control.WriteContaColpi(5));
    EXPECT_TRUE(old.instrument.requests().empty());
}

TEST(ConfigurationValues, DeformationCoefficientsRestartTheInstrument) {
    OpenRig rig("p36e51"), old("p17e23");
    ASSERT_TRUE(rig.control.LeggiCoefDeformazione());
    EXPECT_EQ(rig.control.values().CoefDeformazioneA, 12);
    EXPECT_EQ(rig.control.values().CoefDeformazioneB, 34);
    ASSERT_TRUE(rig.control.WriteCoefDeformazione(56, 78));
    EXPECT_EQ(rig.instrument.nvram()[269], 56);
    EXPECT_EQ(rig.instrument.restarts(), 1);
    EXPECT_FALSE(old.control.LeggiCoefDeformazione());
    EXPECT_FALSE(old.control.WriteCoefDeformazione(1, 2));
}

TEST(PressControl, LocksAndReleases) {
    OpenRig rig("p36e51");
    auto lock = rig.control.BloccaPressa();
    EXPECT_TRUE(lock.ok && lock.locked && rig.control.PressaBloccata());
    EXPECT_TRUE(rig.control.BloccaTastiera());
    EXPECT_TRUE(rig.instrument.keyboardLocked());
    EXPECT_TRUE(rig.control.SbloccaTastiera(true));
    EXPECT_TRUE(rig.control.SbloccaPressa(true));
    EXPECT_FALSE(rig.instrument.pressLocked());

    rig.instrument.setPressLockRefused(true);
    lock = rig.control.BloccaPressa();
    EXPECT_TRUE(lock.ok);
    EXPECT_FALSE(lock.locked || rig.control.PressaBloccata());

    rig.instrument.clearLog();
    EXPECT_TRUE(rig.control.ChiudiComunicazioni00(true));
    EXPECT_EQ(rig.instrument.requests().back()[2], 9);
    EXPECT_FALSE(rig.control.Collegato());
    EXPECT_EQ(rig.control.Protocollo(), 0);
}

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

TEST(Restart, Protocol11GetsCommand13OthersCommand19) {
    OpenRig rig("p36e51");
    ASSERT_TRUE(rig.control.ResetStrumento(0, 100));
    // After the restart the instrument is identified and its header and name read again (one
    // byte a frame) before the last identification.
    std::vector<int> expected{1, 19, 1};
    expected.insert(expected.end(), rig.commands().size() - 4, 15);
    expected.push_back(1);
    EXPECT_EQ(rig.commands(), expected);
}

TEST(UpdateMode, EnteringAndLeavingTheLoaderThroughByte11) {
    OpenRig rig("p36e51");
    ASSERT_TRUE(rig.control.SetUpdateMode(true));
    EXPECT_TRUE(rig.control.UpdateMode() && rig.instrument.loaderActive());
    EXPECT_EQ(rig.instrument.nvram()[11], 11 | 0x80);
    // Already in the loader: nothing but the identification goes out.
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.SetUpdateMode(true));
    EXPECT_EQ(rig.commands(), std::vector<int>{1});
    ASSERT_TRUE(rig.control.SetUpdateMode(false));
    EXPECT_FALSE(rig.control.UpdateMode());
    EXPECT_EQ(rig.instrument.nvram()[11], 11);
}

}  // namespace
