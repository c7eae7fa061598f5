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
#include "sim/sim_usb_bench.h"
#include "support/image_folder.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"

namespace {

struct StationWindow : ::testing::Test {
    StationWindow() : window(o.env, &dialogs) {
        folder.shipped();
        resources::writeSerialList(folder.file("SNlist.txt"), {});
        provisioning::scriviFileProfilo(provisioning::CProfilo(), folder.file("press.prof"));
    }
    testing_support::ImageFolder folder{"station_window"};
    testing_support::BasicOfflineEnvironment<platform::VirtualClock> o{folder.path()};
    testing_support::RecordingDialogs dialogs;
    app::FMain window;
};

TEST_F(StationWindow, RunsTheBenchWithCountersRowsAndStage) {
    sim::SimUsbBench bench(o.usb, *sim::findProfile("p36e51"), 2);
    bench.plug(0);
    app::StationDialog d(window, &window);
    d.profileField()->setText(QString::fromStdString(folder.file("press.prof")));
    d.reportField()->setText(QString::fromStdString(folder.file("report.csv")));
    d.count = 2;
    d.onUnplug = [&] { bench.plugNext(); };
    EXPECT_EQ(d.start(), service::Outcome::Done);
    ASSERT_EQ(d.rows()->rowCount(), 2);
    // The newest row on top.
    EXPECT_EQ(
        std::tuple(d.counters()->text(), d.rows()->item(0, 1)->text(), d.rows()->item(1, 2)->text(),
                   d.rows()->item(1, 6)->text(), d.stageText()->text(),
                   d.startButton()->isEnabled(), d.stopButton()->isEnabled()),
        std::tuple("Done: 2    Failed: 0", "QX300002", "KRN QX300001", "done", "Stopped", true,
                   false));

    // A profile that cannot be read is told, and nothing runs.
    d.profileField()->setText("/nonexistent/press.prof");
    EXPECT_EQ(std::tuple(d.start(), bench.chip(1).programs),
              std::tuple(service::Outcome::FileError, 1));
}

}  // namespace
