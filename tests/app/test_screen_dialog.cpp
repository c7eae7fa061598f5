// FCopiaDisplay offscreen: the copy through the dialog's own instrument control, the picture
// drawn in the window, the box of a missing link.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "app/main_window.h"
#include "app/screen_copy_dialog.h"
#include "support/instrument_rig.h"
#include "support/recording_dialogs.h"

namespace {

// The dialog's own control reaches the simulated instrument of the rig on its USB bridge, on
// the rig's virtual clock.
struct ScreenGui {
    testing_support::InstrumentRig rig;
    platform::MemorySettingsStore settings;
    app::Environment env{rig.clock, settings, rig.usb, rig.ports, {"127.0.0.1", 9}, "/tmp", {}};
    testing_support::RecordingDialogs dialogs;
    app::FMain window{env, &dialogs};
};

}  // namespace

TEST(ScreenCopyDialog, StartDrawsTheMenuRowsThroughItsOwnControl) {
    ScreenGui g;
    app::FCopiaDisplay dialog(g.env, g.window, &g.window);
    dialog.prepare(std::string("USB: ") + testing_support::kUsbSerial, true);
    dialog.cmdStartCopia_Click();
    EXPECT_EQ(dialog.lastEnd(), service::ScreenCopyEnd::Complete);
    EXPECT_FALSE(g.window.UCKRNVisual1().Collegato());  // the main control was never used
    const QImage shown = dialog.Picture1()->pixmap().toImage();
    ASSERT_EQ(shown.width(), 332);
    ASSERT_EQ(shown.height(), 61);
    // The menu layer's first row is a line across the display, drawn from x = 4 at y = 0.
    EXPECT_EQ(shown.pixel(4, 0) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(shown.pixel(200, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(g.dialogs.boxes.empty());
}

TEST(ScreenCopyDialog, AnUnreachableInstrumentShowsTheBoxAndKeepsTheButtons) {
    ScreenGui g;
    app::FCopiaDisplay dialog(g.env, g.window, &g.window);
    dialog.prepare("IP: 127.0.0.1", false);
    dialog.cmdStartCopia_Click();
    EXPECT_EQ(dialog.lastEnd(), service::ScreenCopyEnd::NoLink);
    EXPECT_EQ(g.dialogs.texts(),
              std::vector<std::string>{"Non è possibile comunicare con lo strumento."});
    EXPECT_TRUE(dialog.findChild<QWidget*>("cmdStartCopia")->isEnabled());
}
