// The technician's first flow on a real X server (Xvfb): the password typed into its box, a
// simulated instrument selected, the clock, the communication test, and a picture of the real
// window. Skips where Xvfb is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <filesystem>

#include "app/access.h"
#include "app/clock_dialog.h"
#include "app/communication_dialog.h"
#include "app/instrument_panel.h"
#include "app/main_window.h"
#include "app/password_dialog.h"
#include "support/gui_flow.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"
#include "support/xvfb.h"

namespace {

using testing_support::closeWhen;
using testing_support::confirmPreselected;
using testing_support::onModal;
using testing_support::pick;

TEST(Xvfb, PasswordSelectionClockAndCommunicationTestInARealWindow) {
    if (!testing_support::xServerRunning()) GTEST_SKIP() << "no X server: Xvfb is not installed";
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    testing_support::SimulatedEnvironment s("/FUL");
    ASSERT_TRUE(s.started);
    const testing_support::ProgramFolder programFolder("krn_xvfb");
    const auto& folder = programFolder.path;
    s.env.folder = folder.string();
    testing_support::RecordingDialogs dialogs;

    // The code is typed key by key into the real box and confirmed with Enter.
    app::FPassword password;
    onModal<app::FPassword>([](app::FPassword* p) {
        QTest::keyClicks(p->field(), "2718tecnic");
        QTest::keyClick(p->field(), Qt::Key_Return);
    });
    const auto access =
        app::Verifica("Access password", s.env.application, s.settings, password, dialogs);
    ASSERT_TRUE(access.accepted);
    EXPECT_EQ(access.level, 1);

    app::FMain window(s.env, &dialogs);
    window.SetupCustomer(access.level);
    window.SetupMenu();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));

    pick("COM:", [] {
        closeWhen<app::FDataOra>(
            [](app::FDataOra* d) { return !d->instrumentLabel()->text().isEmpty(); });
    });
    window.action("mnuOrologio")->trigger();
    const QString serial = window.instrumentPanel()->field("description");
    EXPECT_TRUE(serial.startsWith("COM: /"));
    confirmPreselected(serial, [] {
        closeWhen<app::FTestComm>([](app::FTestComm* d) { return d->okCount() >= 3; });
    });
    window.action("mnuTestComm")->trigger();
    EXPECT_EQ(window.activityView()->list()->topLevelItemCount(), 2);
    EXPECT_EQ(window.instrumentPanel()->field("state"), "Reached by the last command");

    // A picture of the window as the X server shows it.
    QApplication::processEvents();
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    ASSERT_FALSE(shot.isNull());
    const QImage image = shot.toImage();
    EXPECT_EQ(image.size(), window.size());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 4) << "the picture is blank";
    const auto file = std::filesystem::current_path() / "krnsetup-xvfb.png";
    EXPECT_TRUE(image.save(QString::fromStdString(file.string())));
    window.close();
}

}  // namespace
