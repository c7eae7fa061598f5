// FSetupEth on the simulated module and virtual time: the boxes it enables, the address read,
// OK and Cancel.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "app/setup_eth_dialog.h"
#include "sim/sim_udp_socket.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"

namespace {

using End = krnlink::EthernetSetup::End;

struct Bench : testing_support::BasicOfflineEnvironment<platform::VirtualClock> {
    Bench() : module(instrument, "00AA00000001", "Press A") {
        env.discovery.port = 65535;  // the simulated module's command port
        auto socket = std::make_unique<sim::SimUdpSocket>(clock);
        socket->addModule({&module, 1001, 65535});
        module.setIp("127.0.0.5");
        dialog =
            std::make_unique<app::FSetupEth>(env, dialogs, "127.0.0.1", nullptr, std::move(socket));
    }
    // The dialog's timer for a while: looks every 50 ms.
    void run(int looks) {
        for (int i = 0; i < looks && !dialog->setup()->closed(); ++i) {
            clock.advance(std::chrono::milliseconds(50));
            dialog->poll();
        }
    }
    sim::SimInstrument instrument{*sim::findProfile("p36e51")};
    sim::SimEthernetModule module;
    testing_support::RecordingDialogs dialogs;
    std::unique_ptr<app::FSetupEth> dialog;
};

TEST(FSetupEth, ReadsTheAddressThenOkWritesTheTypedOne) {
    Bench b;
    // The address box and OK wait for the address read.
    const auto boxes = [&] {
        return std::tuple(b.dialog->txtIP()->isEnabled(), b.dialog->okButton()->isEnabled(),
                          b.dialog->txtIP()->text());
    };
    b.dialog->begin("00AA00000001");
    EXPECT_EQ(std::tuple(b.dialog->windowTitle(), b.dialog->txtLocalIP()->text()),
              std::tuple("Ethernet communication settings", "127.0.0.1"));
    EXPECT_FALSE(std::get<0>(boxes()) || std::get<1>(boxes()));
    b.run(4);
    EXPECT_EQ(boxes(), std::tuple(true, true, "127.0.0.5"));
    b.dialog->txtIP()->setText("127.0.0.8");
    b.dialog->okButton()->click();
    b.run(10);
    EXPECT_EQ(
        std::tuple(b.dialog->setup()->end(), b.module.ip(), b.dialogs.texts()),
        std::tuple(End::Done, "127.0.0.8", std::vector<std::string>{"Ethernet IP setup OK."}));
}

TEST(FSetupEth, ASilentModuleTimesOutOnTheTimer) {
    Bench b;
    b.module.setCommandsSilent(true);
    b.dialog->begin("00AA00000001");
    b.run(30);  // 8 looks make the 400 ms tick; the third tick (1.2 s) is past 1 s
    EXPECT_EQ(std::tuple(b.dialog->setup()->end(), b.dialogs.texts()),
              std::tuple(End::Failed, std::vector<std::string>{"Get IP-address timeout."}));
}

}  // namespace
