// The Ethernet module set-up against the simulated module on the in-process network, on virtual
// time: exact command texts on the wire, the answers each step takes, rejections and timeouts.
#include <gtest/gtest.h>

#include "link/ethernet_setup.h"
#include "sim/profiles.h"
#include "sim/sim_ethernet_module.h"
#include "sim/sim_instrument.h"
#include "sim/sim_udp_socket.h"
#include "support/recording_dialogs.h"

namespace {

using End = krnlink::EthernetSetup::End;
using Texts = std::vector<std::string>;
constexpr const char* kMac = "00AA00000001";
const std::string kTimeout = "Get IP-address timeout.";

struct Bench {
    Bench() : socket(clock), module(instrument, kMac, "Press A") {
        socket.addModule({&module, 1001, 65535});
        module.setIp("127.0.0.5");
    }
    // Feeds an answer as if it had arrived from the module.
    void answer(const std::string& text) {
        setup.onDatagram({platform::Bytes(text.begin(), text.end()), "127.0.0.1", 65535});
    }
    // Brings the set-up to a step by accepting every step before it, with the module silent.
    void reach(int step) {
        module.setCommandsSilent(true);
        setup.start();
        while (setup.step() < step) {
            if (setup.step() == 5)
                setup.confirm("127.0.0.8");
            else
                answer(setup.step() == 3 ? "A127.0.0.5/255.0.0.0" : "A");
        }
        ASSERT_EQ(setup.step(), step);
    }
    platform::VirtualClock clock;
    sim::SimInstrument instrument{*sim::findProfile("p36e51")};
    sim::SimUdpSocket socket;
    sim::SimEthernetModule module;
    testing_support::RecordingDialogs dialogs;
    krnlink::EthernetSetup setup{socket, clock, dialogs, {"127.0.0.1", 65535}, kMac, "127.0.0.1"};
};

// The whole exchange on the wire, a "C" to the last setting and rejections of a few steps are
// followed by the end-to-end tests of krnctl ethernet setup, Cancel by the service tests. Step 1
// shows that an answer other than the selection's acceptance is ignored.
TEST(EthernetSetup, RejectionAndTimeoutMessagesOfEachStep) {
    const std::string unreachable = "127.0.0.1\nIP-address is unreachable with your network.";
    const std::tuple<int, const char*, std::string> cases[] = {
        // The step, its rejection (nullptr: the answer is ignored), its timeout.
        {1, nullptr, kTimeout},
        {2, "Login rejected.", kTimeout},
        {3, "Get IP-address rejected.", kTimeout},
        {4, "Get status rejected.", kTimeout},
        {10, "Assign IP-address rejected.", "Assign IP-address timeout."},
        {11, "Device setup rejected.", unreachable},
        {20, "Logout rejected.", kTimeout},
    };
    for (const auto& [step, rejection, timeout] : cases) {
        Bench b;
        b.reach(step);
        EXPECT_TRUE(b.setup.timerRunning()) << step;
        b.answer("E?");
        Texts expected;
        if (rejection) expected.push_back(std::string(rejection) + "\nReply code: E");
        EXPECT_EQ(b.dialogs.texts(), expected) << step;
        EXPECT_EQ(b.setup.step(), step) << "a rejection leaves the step where it is";
        // Exactly 1.0 s is not yet a timeout.
        b.clock.advance(std::chrono::milliseconds(1000));
        b.setup.tick();
        EXPECT_FALSE(b.setup.closed()) << step;
        b.clock.advance(std::chrono::milliseconds(1));
        b.setup.tick();
        EXPECT_EQ(b.setup.end(), End::Failed) << step;
        expected.push_back(timeout);
        EXPECT_EQ(b.dialogs.texts(), expected) << step;
        for (const auto& box : b.dialogs.boxes)
            EXPECT_EQ(box.icon, platform::MessageIcon::Exclamation);
    }
}

}  // namespace
