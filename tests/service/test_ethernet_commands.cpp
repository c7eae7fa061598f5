// "Setup ethernet port...": the wiring hint by access level, the Ethernet-only selection, the
// MAC handed to the set-up dialog; and the set-up run on boxes (krnctl's way) cancelled in its
// address box, which krnctl, always given the address, never does.
#include <gtest/gtest.h>

#include "service/core/menu_commands.h"
#include "service/device/ethernet_commands.h"
#include "sim/sim_udp_socket.h"
#include "support/test_host.h"

using namespace testing_support;
using service::Outcome;
using Texts = std::vector<std::string>;

namespace {

const char* const kHint =
    "Fare un ponticello tra i primi due pin in basso del tibbo\nControllare il setup come segue:\n"
    "Controllo di flusso: 1 (Local)\nDTR Mode: 0";

// The hint only at the screen-copy level; only a module's row opens the set-up dialog.
TEST(EthernetSetupCommand, HintSelectionAndTheModuleChosen) {
    const std::tuple<bool, std::optional<std::string>, Outcome> cases[] = {
        {true, "MAC:   00AA00000001", Outcome::Done},
        {false, "MAC: 00AA00000001", Outcome::Done},
        {false, std::nullopt, Outcome::Cancelled},
        {false, "IP:127.0.0.1:1001", Outcome::Cancelled},
    };
    for (const auto& [level, chosen, outcome] : cases) {
        InstrumentRig rig(*sim::findProfile("p36e51"));
        TestHost host(rig);
        host.screenCopyLevel = level;
        host.selections = {chosen};
        EXPECT_EQ(service::runCommand(host, service::menuCommands().at("mnuEthSetup")), outcome);
        EXPECT_EQ(host.boxes.texts(), level ? Texts{kHint} : Texts{});
        EXPECT_EQ(host.selectionTitles, Texts{"Ethernet setup"});
        EXPECT_EQ(host.ethernetSetups, outcome == Outcome::Done ? Texts{"00AA00000001"} : Texts{});
        if (level) {
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

TEST(EthernetSetupOnBoxes, CancelInTheBoxAssignsNothing) {
    Module m;
    EXPECT_EQ(service::runEthernetSetup(m.setup, m.dialogs), Outcome::Cancelled);
    EXPECT_EQ(m.dialogs.prompts, Texts{"IP address:"});
    EXPECT_EQ(m.module.ip(), "127.0.0.5");
    EXPECT_EQ(m.module.commandsHeard().back(), "W");
    EXPECT_TRUE(m.module.settings().empty());
}

}  // namespace
