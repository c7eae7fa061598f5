// The production station's window, offscreen, on a simulated bench and virtual time.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/main_window.h"
#include "app/station_dialog.h"
#include "provisioning/profile_file.h"
#include "resources/serial_list.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_usb_bench.h"
#include "support/image_folder.h"
#include "support/recording_dialogs.h"

namespace {

struct StationWindow : ::testing::Test {
    StationWindow()
        : usb(clock),
          ports({}),
          env{clock, settings, usb, ports, {"127.0.0.1", 9}, folder.path(), ""},
          window(env, &dialogs) {
        folder.shipped();
        resources::writeSerialList(folder.file("SNlist.txt"), {});
        provisioning::scriviFileProfilo(provisioning::CProfilo(), folder.file("press.prof"));
    }
    testing_support::ImageFolder folder{"station_window"};
    platform::VirtualClock clock;
    platform::MemorySettingsStore settings;
    sim::SimUsbBridge usb;
    sim::SimPortEnumerator ports;
    app::Environment env;
    testing_support::RecordingDialogs dialogs;
    app::FMain window;
};

TEST_F(StationWindow, ShownWhereTheUsbIdentityIsAndRunsTheBenchWithCountersRowsAndStage) {
    for (const auto& [level, shown] : {std::pair{0, false}, {2, true}, {3, true}}) {
        window.SetupCustomer(level);
        window.SetupMenu();
        EXPECT_EQ(window.action("mnuStazione")->isVisible(), shown) << level;
    }
    sim::SimUsbBench bench(usb, *sim::findProfile("p36e51"), 2);
    bench.plug(0);
    app::StationDialog d(window, &window);
    d.profileField()->setText(QString::fromStdString(folder.file("press.prof")));
    d.reportField()->setText(QString::fromStdString(folder.file("report.csv")));
    d.count = 2;
    d.onUnplug = [&] { bench.plugNext(); };
    EXPECT_EQ(d.start(), service::Outcome::Done);
    EXPECT_EQ(d.counters()->text(), "Done: 2    Failed: 0");
    ASSERT_EQ(d.rows()->rowCount(), 2);
    EXPECT_EQ(d.rows()->item(0, 1)->text(), "QX300002");  // the newest row on top
    EXPECT_EQ(d.rows()->item(1, 2)->text(), "KRN QX300001");
    EXPECT_EQ(d.rows()->item(1, 6)->text(), "done");
    EXPECT_EQ(d.stageText()->text(), "Stopped");
    EXPECT_TRUE(d.startButton()->isEnabled());
    EXPECT_FALSE(d.stopButton()->isEnabled());

    // A profile that cannot be read is told, and nothing runs.
    d.profileField()->setText("/nonexistent/press.prof");
    EXPECT_EQ(d.start(), service::Outcome::FileError);
    EXPECT_EQ(bench.chip(1).programs, 1);
}

}  // namespace
