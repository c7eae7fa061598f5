// "Setup ethernet port...": the wiring hint by access level, the Ethernet-only selection, the
// MAC handed to the set-up dialog; and the set-up run on boxes (krnctl's way) end to end
// against the simulated module.
#include <gtest/gtest.h>

#include "service/core/menu_commands.h"
#include "service/device/ethernet_commands.h"
#include "sim/sim_udp_socket.h"
#include "support/test_host.h"

using namespace testing_support;
using service::Outcome;

namespace {

const char* const kHint =
    "Fare un ponticello tra i primi due pin in basso del tibbo\nControllare il setup come segue:\n"
    "Controllo di flusso: 1 (Local)\nDTR Mode: 0";

TEST(EthernetSetupCommand, HintSelectionAndTheModuleChosen) {
    struct Case {
        bool screenCopyLevel;
        std::optional<std::string> chosen;
        Outcome outcome;
        std::vector<std::string> boxes;
        std::vector<std::string> macs;
    };
    const Case cases[] = {
        {true, "MAC:   00AA00000001", Outcome::Done, {kHint}, {"00AA00000001"}},
        {false, "MAC: 00AA00000001", Outcome::Done, {}, {"00AA00000001"}},
        {false, std::nullopt, Outcome::Cancelled, {}, {}},
        {false, "IP:127.0.0.1:1001", Outcome::Cancelled, {}, {}},
    };
    for (const Case& c : cases) {
        InstrumentRig rig(*sim::findProfile("p36e51"));
        TestHost host(rig);
        host.screenCopyLevel = c.screenCopyLevel;
        host.selections = {c.chosen};
        EXPECT_EQ(service::runCommand(host, service::menuCommands().at("mnuEthSetup")), c.outcome);
        EXPECT_EQ(host.boxes.texts(), c.boxes);
        EXPECT_EQ(host.selectionTitles, std::vector<std::string>{"Ethernet setup"});
        EXPECT_EQ(host.ethernetSetups, c.macs);
        if (!c.boxes.empty()) {
            EXPECT_EQ(host.boxes.boxes.at(0).icon, platform::MessageIcon::None);
        }
    }
}

struct Module {
    Module() : socket(clock), module(instrument, "00AA00000001", "Press A") {
        socket.addModule({&module, 1001, 65535});
        module.setIp("127.0.0.5");
    }
    platform::VirtualClock clock;
    sim::SimInstrument instrument{*sim::findProfile("p36e51")};
    sim::SimUdpSocket socket;
    sim::SimEthernetModule module;
    RecordingDialogs dialogs;
    krnlink::EthernetSetup setup{socket,         clock,      dialogs, {"127.0.0.1", 65535},
                                 "00AA00000001", "127.0.0.1"};
};

TEST(EthernetSetupOnBoxes, TheAddressBoxOffersWhatWasReadAndItsAnswerIsAssigned) {
    Module m;
    m.dialogs.inputs = {std::string("127.0.0.6")};
    EXPECT_EQ(service::runEthernetSetup(m.setup, m.dialogs), Outcome::Done);
    EXPECT_EQ(m.dialogs.prompts, std::vector<std::string>{"IP address:"});
    EXPECT_EQ(m.module.ip(), "127.0.0.6");
    EXPECT_EQ(m.dialogs.texts(), std::vector<std::string>{"Ethernet IP setup OK."});
}

TEST(EthernetSetupOnBoxes, CancelInTheBoxAssignsNothing) {
    Module m;
    EXPECT_EQ(service::runEthernetSetup(m.setup, m.dialogs), Outcome::Cancelled);
    EXPECT_EQ(m.module.ip(), "127.0.0.5");
    EXPECT_EQ(m.module.commandsHeard().back(), "W");
    EXPECT_TRUE(m.module.settings().empty());
}

TEST(EthernetSetupOnBoxes, ATimeoutIsAFailure) {
    Module m;
    m.dialogs.inputs = {std::string("127.0.0.6")};
    m.module.setCommandBehaviour("A", sim::SimEthernetModule::Behaviour::Silent);
    EXPECT_EQ(service::runEthernetSetup(m.setup, m.dialogs), Outcome::Failed);
    EXPECT_EQ(m.dialogs.texts(), std::vector<std::string>{"Assign IP-address timeout."});
}

}  // namespace
