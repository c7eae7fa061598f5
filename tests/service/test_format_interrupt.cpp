// A format broken off anywhere: the instrument falls silent at a frame of every stage (erase,
// memory test, image blocks, the single bytes, header pointers, signature, options). Afterwards the
// instrument is either untouched or reads as unformatted (its header check fails), and a second
// format succeeds. Only a break in the closing restart, after the last byte, leaves it formatted.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "service/format/send_setup.h"
#include "service/settings/nvram_writes.h"
#include "support/image_folder.h"
#include "support/test_host.h"

using namespace testing_support;

namespace {

struct Stage {
    std::string name;
    long first = 0, last = 0;  // request frames of the stage, counted from 0
};

// The stages of a whole format as the frames show them: the status text shown when each request
// frame arrived, and the image blocks, single bytes and header told apart by their command.
std::vector<Stage> stagesOf(const std::string& profile, krnlink::Channel channel,
                            const std::string& folder) {
    InstrumentRig rig(profile);
    TestHost host(rig, folder);
    EXPECT_TRUE(rig.open(channel));
    std::vector<Stage> stages;
    long frame = 0;
    rig.instrument.frameObserver = [&](bool request, const platform::Bytes& f, std::uint8_t code) {
        if (!request) return;
        const bool sent = std::any_of(stages.begin(), stages.end(),
                                      [](const Stage& s) { return s.name == "header"; });
        std::string name = !host.status.empty() ? host.status
                           : sent               ? "counter and signature"
                                                : "start";
        if (name == "Formatting memory...") {
            const std::uint32_t a = f.size() > 4 ? f[2] | f[3] << 8 | f[4] << 16 : 0;
            const bool header = !stages.empty() && stages.back().name == "header";
            name = code == 40                     ? "image blocks"
                   : header || a < 46 || a >= 768 ? "header"
                                                  : "single bytes";
        }
        if (name == "Setup options..." && code == 14 && f.size() > 4 && f[2] < 6 && f[3] == 0 &&
            f[4] == 0)
            name = "FontOK";
        else if (name == "Setup options..." && !stages.empty() &&
                 (stages.back().name == "FontOK" || stages.back().name == "closing restart"))
            name = "closing restart";
        if (stages.empty() || stages.back().name != name) stages.push_back({name, frame, frame});
        stages.back().last = frame++;
    };
    provisioning::CProfilo p;
    EXPECT_EQ(service::SendSetup(host, p, false, folder), instrument::errPR_OK);
    return stages;
}

// About `wanted` frame positions spread over the stages: the first and last frame of each and
// evenly between them.
std::vector<std::pair<std::string, long>> positions(const std::vector<Stage>& stages, int wanted) {
    std::vector<std::pair<std::string, long>> out;
    const int each = std::max(3, wanted / static_cast<int>(stages.size()));
    for (const Stage& s : stages) {
        const long span = s.last - s.first;
        for (int i = 0; i < each; ++i) {
            const long at = s.first + (each == 1 ? 0 : span * i / (each - 1));
            if (out.empty() || out.back().second != at) out.emplace_back(s.name, at);
        }
    }
    return out;
}

void interruptEverywhere(const std::string& profile, krnlink::Channel channel) {
    ImageFolder folder(profile + "_" + std::to_string(static_cast<int>(channel)));
    folder.shipped();
    const auto stages = stagesOf(profile, channel, folder.path());
    std::map<std::string, int> seen;
    int n = 0;
    for (const auto& [stage, frame] : positions(stages, 20)) {
        // Mostly a link that goes dead; every third break is the instrument restarting as the
        // frame arrives (it hears nothing for 5 s, then answers again).
        const bool restart = ++n % 3 == 0;
        SCOPED_TRACE(stage + ", frame " + std::to_string(frame) + (restart ? ", restart" : ""));
        InstrumentRig rig(profile);
        TestHost host(rig, folder.path());
        ASSERT_TRUE(rig.open(channel));
        const auto before = rig.instrument.nvram();
        rig.instrument.addFault({restart ? sim::Fault::Kind::Restart : sim::Fault::Kind::Silence,
                                 0,
                                 {},
                                 static_cast<int>(frame)});
        provisioning::CProfilo p;
        const instrument::ErrPR first = service::SendSetup(host, p, false, folder.path());
        // A restart while the tool waits for one anyway goes unnoticed: the format goes on.
        if (!restart) {
            EXPECT_NE(first, instrument::errPR_OK);
        }
        // The link comes back; the instrument is looked at from a new connection.
        rig.control.ChiudiPortaComunicazione();
        rig.instrument.clearFaults();
        rig.instrument.setSilent(false);
        ASSERT_TRUE(rig.open(channel));
        // Broken off in the closing restart, every byte is written: the format is whole
        // although it is reported as failed.
        const bool complete = stage == "closing restart" || first == instrument::errPR_OK;
        const bool untouched = rig.instrument.nvram() == before;
        if (!untouched) {
            EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(complete));
        }
        EXPECT_EQ(service::SendSetup(host, p, false, folder.path()), instrument::errPR_OK);
        EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
        ++seen[stage];
    }
    // Every stage was broken into.
    for (const Stage& s : stages) EXPECT_GT(seen[s.name], 0) << s.name;
    EXPECT_EQ(seen.size(), stages.size());
}

TEST(FormatInterrupted, SerialAtEveryStage) {
    interruptEverywhere("p36e51", krnlink::Channel::Serial);
}

}  // namespace
