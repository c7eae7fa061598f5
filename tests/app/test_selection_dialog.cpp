// The instrument selection as a workbench: the last instrument preselected, a serial row chosen
// while the Ethernet discovery still runs behind a module that never answers, the busy
// indicator, the hint and Refresh.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/selection_dialog.h"
#include "sim/sim_server.h"
#include "support/gui_wait.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"

namespace {

using testing_support::waitFor;

// A module on loopback that answers the broadcast but never answers the selection of itself, so
// that every step after it times out.
struct SilentModule {
    explicit SilentModule(platform::Clock& clock)
        : instrument(*sim::findProfile("p39e1060")), server(instrument, clock) {
        ok = server.openUdp("127.0.0.1", 0, 0);
        server.module().setCommandBehaviour("W", sim::SimEthernetModule::Behaviour::Silent);
        if (ok) server.start();
    }
    ~SilentModule() { server.stop(); }
    sim::SimInstrument instrument;
    sim::SimServer server;
    bool ok = false;
};

QString rowText(app::FSceltaStrumento& d) {
    auto* item = d.list()->currentItem();
    return item ? item->text(1) : QString();
}

int rowOf(app::FSceltaStrumento& d, const QString& prefix) {
    for (int i = 0; i < d.list()->topLevelItemCount(); ++i)
        if (d.list()->topLevelItem(i)->text(1).startsWith(prefix)) return i;
    return -1;
}

// The simulated instruments, with discovery sent to a module that never answers.
struct BehindASilentModule : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(s.started);
        ASSERT_TRUE(module.ok);
        s.env.discovery = {"127.0.0.1", module.server.commandPort()};
    }
    testing_support::SimulatedEnvironment s;
    SilentModule module{s.clock};
    testing_support::RecordingDialogs dialogs;
};

TEST_F(BehindASilentModule, TheModuleIsGivenUpAfterTwoRepeats) {
    app::FSceltaStrumento dialog(s.env, dialogs);
    dialog.fill({});
    // An Ethernet row waits for the discovery; a serial row does not.
    KRN_WAIT_FOR(rowOf(dialog, "MAC:") >= 0, 3000);
    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(rowOf(dialog, "MAC:")));
    const bool okOnEthernet = dialog.okButton()->isEnabled();
    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(rowOf(dialog, "COM:")));
    EXPECT_EQ(std::tuple(okOnEthernet, dialog.okButton()->isEnabled(),
                         dialog.busyIndicator()->isVisibleTo(&dialog)),
              std::tuple(false, true, true));
    dialog.runDiscoveryToEnd();
    EXPECT_EQ(std::tuple(dialog.discovering(), dialog.busyIndicator()->isVisibleTo(&dialog)),
              std::tuple(false, false));
    // The first timeout, then two repeats, each with its message; then the module is left.
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>(3, "Get IP-address timeout."));
    EXPECT_TRUE(dialog.list()->topLevelItem(rowOf(dialog, "MAC:"))->text(1).startsWith("MAC:"));
}

TEST(SelectionDialog, TheLastInstrumentIsSelectedAsSoonAsItsRowAppears) {
    testing_support::SimulatedEnvironment s;
    ASSERT_TRUE(s.started);
    testing_support::RecordingDialogs dialogs;
    const std::string ethernet = "IP:127.0.0.1:" + std::to_string(s.simulation.dataPort());
    app::FSceltaStrumento dialog(s.env, dialogs);
    dialog.setPreferred(ethernet);
    dialog.fill({});
    EXPECT_EQ(dialog.list()->currentItem(), nullptr);  // not found yet
    KRN_WAIT_FOR(rowText(dialog).toStdString() == ethernet, 5000);
    KRN_WAIT_FOR(dialog.okButton()->isEnabled(), 3000);
    // A row the technician picked is not taken away by a later refresh.
    dialog.setPreferred("USB: QX3SIM0001");
    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(rowOf(dialog, "COM:")));
    dialog.runDiscoveryToEnd();
    EXPECT_TRUE(rowText(dialog).startsWith("COM:"));
}

TEST(SelectionDialog, NothingFoundGivesAHintAndRefreshLooksAgain) {
    testing_support::OfflineEnvironment o;
    testing_support::RecordingDialogs dialogs;
    app::FSceltaStrumento dialog(o.env, dialogs);
    // The busy indicator while it looks, the hint once nothing was found.
    const auto shown = [&] {
        return std::tuple(dialog.busyIndicator()->isVisibleTo(&dialog),
                          dialog.hint()->isVisibleTo(&dialog), dialog.list()->topLevelItemCount(),
                          dialog.okButton()->isEnabled());
    };
    dialog.fill({});
    EXPECT_EQ(shown(), std::tuple(true, false, 0, false));
    dialog.runDiscoveryToEnd();
    EXPECT_EQ(shown(), std::tuple(false, true, 0, false));
    // A device plugged in meanwhile is found by Refresh.
    sim::SimInstrument instrument(*sim::findProfile("p41e1072"));
    sim::SimUsbDevice device;
    device.serialNumber = "QX3NEW0001";
    device.description = "KRN Visual";
    device.instrument = &instrument;
    o.usb.addDevice(device);
    dialog.refreshButton()->click();
    ASSERT_EQ(shown(), std::tuple(true, false, 1, false));
    EXPECT_EQ(dialog.list()->topLevelItem(0)->text(1), "USB: QX3NEW0001");
    dialog.runDiscoveryToEnd();
}

}  // namespace
