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

using B = sim::SimEthernetModule::Behaviour;
using End = krnlink::EthernetSetup::End;
constexpr const char* kMac = "00AA00000001";

struct Bench {
    Bench() : socket(clock), module(instrument, kMac, "Press A") {
        socket.addModule({&module, 1001, 65535});
        module.setIp("127.0.0.5");
    }
    std::vector<std::string> wire() const {
        std::vector<std::string> out;
        for (const auto& s : socket.sent()) out.emplace_back(s.data.begin(), s.data.end());
        return out;
    }
    // Feeds an answer as if it had arrived from the module.
    void answer(const std::string& text) {
        setup.onDatagram({platform::Bytes(text.begin(), text.end()), "127.0.0.1", 65535});
    }
    platform::VirtualClock clock;
    sim::SimInstrument instrument{*sim::findProfile("p36e51")};
    sim::SimUdpSocket socket;
    sim::SimEthernetModule module;
    testing_support::RecordingDialogs dialogs;
    krnlink::EthernetSetup setup{socket, clock, dialogs, {"127.0.0.1", 65535}, kMac, "127.0.0.1"};
};

const std::vector<std::string> kReadSteps = {"W00AA00000001", "L", "GIP", "O", "W"};
const std::vector<std::string> kWriteSteps = {
    "W00AA00000001", "L", "SONH.W.K.", "SDNKRNV", "SBR7", "SSI0", "SFC1", "SRC0", "SDS1", "O", "W"};

TEST(EthernetSetup, ReadsTheAddressThenAssignsItAndWritesTheSettings) {
    Bench b;
    b.setup.start();
    b.setup.runUntilIdle();
    EXPECT_EQ(b.setup.step(), 5);
    EXPECT_EQ(b.setup.ipText(), "127.0.0.5");
    EXPECT_TRUE(b.setup.ipEnabled());
    EXPECT_TRUE(b.setup.okEnabled());
    EXPECT_FALSE(b.setup.timerRunning());
    EXPECT_EQ(b.wire(), kReadSteps);
    // Waiting for OK: no timeout however long the technician takes.
    b.clock.advance(std::chrono::seconds(30));
    b.setup.tick();
    EXPECT_FALSE(b.setup.closed());

    // The address goes out exactly as typed, blanks and all.
    ASSERT_TRUE(b.setup.confirm(" 127.0.0.9 x"));
    EXPECT_FALSE(b.setup.okEnabled());
    b.setup.runUntilIdle();
    EXPECT_EQ(b.setup.end(), End::Done);
    std::vector<std::string> expected = kReadSteps;
    expected.push_back("A00AA00000001// 127.0.0.9 x");
    expected.insert(expected.end(), kWriteSteps.begin(), kWriteSteps.end());
    EXPECT_EQ(b.wire(), expected);
    for (const auto& s : b.socket.sent()) {
        EXPECT_EQ(s.host, "127.0.0.1");
        EXPECT_EQ(s.port, 65535);
    }
    // The module answered "C" to "SDS1"; the set-up still completed.
    EXPECT_EQ(b.dialogs.texts(), std::vector<std::string>{"Ethernet IP setup OK."});
    EXPECT_EQ(b.dialogs.boxes[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(b.module.ip(), " 127.0.0.9 x");
    EXPECT_EQ(b.module.settings().at("SBR"), "7");
    EXPECT_EQ(b.module.settings().at("SDS"), "1");
}

TEST(EthernetSetup, CIsAnAcceptanceOnlyForTheLastSetting) {
    const char* settings[] = {"SONH.W.K.", "SDNKRNV", "SBR7", "SSI0", "SFC1", "SRC0"};
    for (const char* s : settings) {
        Bench b;
        b.module.setCommandBehaviour(s, B::Reject, 'C');
        b.setup.start();
        b.setup.runUntilIdle();
        b.setup.confirm("127.0.0.7");
        b.setup.runUntilIdle();
        EXPECT_EQ(b.setup.end(), End::Failed) << s;
        EXPECT_EQ(b.dialogs.texts(),
                  (std::vector<std::string>{"Device setup rejected.\nReply code: C",
                                            "Get IP-address timeout."}))
            << s;
        EXPECT_EQ(b.wire().back(), s);  // nothing after the rejected command
    }
}

TEST(EthernetSetup, AnotherAnswerToTheSelectionIsIgnoredAndTheStepTimesOut) {
    Bench b;
    b.module.setCommandBehaviour("W00AA", B::Reject, 'N');
    b.setup.start();
    const auto t0 = b.clock.now();
    b.setup.runUntilIdle();
    EXPECT_EQ(b.setup.end(), End::Failed);
    EXPECT_EQ(b.setup.step(), 1);
    EXPECT_EQ(b.dialogs.texts(), std::vector<std::string>{"Get IP-address timeout."});
    EXPECT_EQ(b.dialogs.boxes[0].icon, platform::MessageIcon::Exclamation);
    // The third tick of the 400 ms timer is the first more than 1 s after the command.
    EXPECT_EQ(b.clock.now() - t0, std::chrono::milliseconds(1200));
    EXPECT_EQ(b.wire(), std::vector<std::string>{"W00AA00000001"});
}

// Brings the set-up to a step by accepting every step before it, with the module silent.
void reach(Bench& b, int step) {
    b.module.setCommandsSilent(true);
    b.setup.start();
    while (b.setup.step() < step) {
        if (b.setup.step() == 5)
            b.setup.confirm("127.0.0.8");
        else
            b.answer(b.setup.step() == 3 ? "A127.0.0.5/255.0.0.0" : "A");
    }
    ASSERT_EQ(b.setup.step(), step);
}

TEST(EthernetSetup, RejectionAndTimeoutMessagesOfEachStep) {
    struct Case {
        int step;
        const char* rejection;  // nullptr: the answer is ignored
        const char* timeout;
    };
    const std::string unreachable = "127.0.0.1\nIP-address is unreachable with your network.";
    const Case cases[] = {
        {1, nullptr, "Get IP-address timeout."},
        {2, "Login rejected.", "Get IP-address timeout."},
        {3, "Get IP-address rejected.", "Get IP-address timeout."},
        {4, "Get status rejected.", "Get IP-address timeout."},
        {10, "Assign IP-address rejected.", "Assign IP-address timeout."},
        {11, "Device setup rejected.", unreachable.c_str()},
        {12, "Login rejected.", "Get IP-address timeout."},
        {13, "Device setup rejected.", "Get IP-address timeout."},
        {19, "Device setup rejected.", "Get IP-address timeout."},
        {20, "Logout rejected.", "Get IP-address timeout."},
    };
    for (const Case& c : cases) {
        Bench b;
        reach(b, c.step);
        b.answer("E?");
        std::vector<std::string> expected;
        if (c.rejection) expected.push_back(std::string(c.rejection) + "\nReply code: E");
        EXPECT_EQ(b.dialogs.texts(), expected) << c.step;
        EXPECT_EQ(b.setup.step(), c.step) << "a rejection leaves the step where it is";
        // Exactly 1.0 s is not yet a timeout.
        b.clock.advance(std::chrono::milliseconds(1000));
        b.setup.tick();
        EXPECT_FALSE(b.setup.closed()) << c.step;
        b.clock.advance(std::chrono::milliseconds(1));
        b.setup.tick();
        EXPECT_EQ(b.setup.end(), End::Failed) << c.step;
        expected.push_back(c.timeout);
        EXPECT_EQ(b.dialogs.texts(), expected) << c.step;
        for (const auto& box : b.dialogs.boxes)
            EXPECT_EQ(box.icon, platform::MessageIcon::Exclamation);
    }
}

TEST(EthernetSetup, AnEmptyAnswerIsARejectionWithABlankCode) {
    Bench b;
    reach(b, 2);
    b.answer("");
    EXPECT_EQ(b.dialogs.texts(), std::vector<std::string>{"Login rejected.\nReply code:  "});
}

TEST(EthernetSetup, AGoodAnswerAfterARejectionStillMovesOn) {
    Bench b;
    reach(b, 12);
    b.answer("R");
    b.answer("A");
    EXPECT_EQ(b.setup.step(), 13);
    EXPECT_FALSE(b.setup.closed());
}

TEST(EthernetSetup, CancelEndsAtAnyStepAndNothingMoreIsSent) {
    for (int step : {1, 3, 5, 10, 16}) {
        Bench b;
        reach(b, step);
        const std::size_t sent = b.socket.sent().size();
        b.setup.cancel();
        EXPECT_EQ(b.setup.end(), End::Cancelled);
        b.answer("A");
        b.clock.advance(std::chrono::seconds(5));
        b.setup.tick();
        EXPECT_EQ(b.socket.sent().size(), sent) << step;
        EXPECT_TRUE(b.dialogs.boxes.empty()) << step;
        EXPECT_FALSE(b.setup.confirm("127.0.0.2"));
    }
}

TEST(EthernetSetup, OkOnlyAtTheWaitingStep) {
    Bench b;
    reach(b, 3);
    EXPECT_FALSE(b.setup.confirm("127.0.0.2"));
    EXPECT_EQ(b.setup.step(), 3);
    // Answers that arrive while waiting for OK change nothing.
    b.answer("A127.0.0.5/x");
    b.answer("A");
    EXPECT_EQ(b.setup.step(), 5);
    b.answer("A");
    EXPECT_EQ(b.setup.step(), 5);
    EXPECT_EQ(b.setup.ipText(), "127.0.0.5");
}

TEST(EthernetSetup, NoModuleAnswering) {
    Bench b;
    b.module.setCommandsSilent(true);
    b.setup.start();
    b.setup.runUntilIdle();
    EXPECT_EQ(b.dialogs.texts(), std::vector<std::string>{"Get IP-address timeout."});
    EXPECT_FALSE(b.setup.ipEnabled());
    EXPECT_EQ(b.setup.ipText(), "");
}

}  // namespace
