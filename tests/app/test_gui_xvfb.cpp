// The desktop program on a real X server (Xvfb), where the event loop's timing is real: the window
// painting through an instrument restart, a Cancel that ends a silent port's open. Skips where
// Xvfb is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <pty.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
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
#include "support/scaled_clock.h"
#include "support/simulated_environment.h"
#include "support/xvfb.h"

namespace {

using testing_support::pick;

// The main window at a level, as the X server shows it.
bool shown(app::FMain& window, int level) {
    window.SetupCustomer(level);
    window.SetupMenu();
    window.show();
    return QTest::qWaitForWindowExposed(&window, 5000);
}

// Counts the paints a widget receives.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// A clock-prescaler write restarts the instrument (15 s and more, on a clock running eight times
// faster): the window keeps painting its bar, which shows the restart's text and only fills.
TEST(Xvfb, TheRestartAfterAValueWriteKeepsTheWindowPaintingItsProgress) {
    if (!testing_support::xServerRunning()) GTEST_SKIP() << "no X server: Xvfb is not installed";
    testing_support::BasicSimulatedEnvironment<testing_support::ScaledClock> s("/FUL");
    ASSERT_TRUE(s.started);
    testing_support::RecordingDialogs dialogs;
    app::FMain window(s.env, &dialogs);
    ASSERT_TRUE(shown(window, 1));
    PaintCounter counter;
    window.progressBar()->installEventFilter(&counter);
    std::vector<int> positions;
    QString status;
    QObject::connect(window.progressBar(), &QProgressBar::valueChanged, [&](int v) {
        positions.push_back(v);
        if (window.statusLabel()->isVisible()) status = window.statusLabel()->text();
    });
    dialogs.inputs = {std::string("7")};
    dialogs.answers = {platform::MessageResult::Yes};
    pick("COM:", [] {});
    window.action("mnuOpzioniStrumento")->trigger();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Send new value?"});
    EXPECT_EQ(status, "Restarting the instrument...");
    ASSERT_GT(positions.size(), 20u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), 100);
    EXPECT_GT(counter.paints, 5) << "the bar was not repainted during the restart";
    EXPECT_EQ(window.activityView()->list()->topLevelItem(0)->text(3), "Done");
    window.close();
}

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
    ASSERT_TRUE(shown(window, 1));
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
