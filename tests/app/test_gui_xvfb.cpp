// The desktop program on a real X server (Xvfb), where the event loop's timing is real: a Cancel
// that ends a silent port's open. Skips where Xvfb is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <pty.h>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "app/instrument_panel.h"
#include "app/main_window.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_usb_bridge.h"
#include "support/gui_flow.h"
#include "support/recording_dialogs.h"
#include "support/xvfb.h"

namespace {

using testing_support::pick;

// A serial port where nothing answers: Cancel in the status bar ends the open within a second,
// with no Retry box after it.
TEST(Xvfb, ASilentPortsOpenIsCancelledWithinASecond) {
    if (!testing_support::xServerRunning()) GTEST_SKIP() << "no X server: Xvfb is not installed";
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    platform::SystemClock clock;
    platform::MemorySettingsStore settings;
    sim::SimUsbBridge usb(clock);
    sim::SimPortEnumerator ports({name});
    app::Environment env{clock, settings, usb, ports, {"127.0.0.1", 9}, "/tmp", "/FUL"};
    testing_support::RecordingDialogs dialogs;
    app::FMain window(env, &dialogs);
    window.SetupCustomer(1);
    window.SetupMenu();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
    using Steady = std::chrono::steady_clock;
    Steady::time_point clicked{};
    pick("COM:", [&] {
        QTimer::singleShot(1500, &window, [&] {
            clicked = Steady::now();
            EXPECT_TRUE(window.cancelButton()->isVisible());
            QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
        });
    });
    window.action("mnuNomeStrumento")->trigger();
    const double afterClick = std::chrono::duration<double>(Steady::now() - clicked).count();
    ASSERT_NE(clicked, Steady::time_point{}) << "the window took no events during the open";
    EXPECT_LT(afterClick, 1.0);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(window.activityView()->list()->topLevelItem(0)->text(3), "Cancelled");
    window.close();
    ::close(slave);
    ::close(master);
}

}  // namespace
