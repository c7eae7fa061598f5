// Renders the desktop program's main windows offscreen into PNG files for the user guide:
//   build/tools/krnscreenshots docs/images
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTreeWidget>

#include "app/clock_dialog.h"
#include "app/font_dialog.h"
#include "app/main_window.h"
#include "app/selection_dialog.h"
#include "app/simulation.h"
#include "instrument/connection.h"
#include "platform/console/console_dialogs.h"
#include "platform/settings_store.h"
#include "sim/sim_serial_port.h"

#include <iostream>

namespace {
bool save(QWidget& w, const QString& dir, const char* name, bool fit = false) {
    if (fit) w.adjustSize();
    const bool ok = w.grab().save(dir + "/" + name);
    std::cout << (ok ? "wrote " : "could not write ") << (dir + "/" + name).toStdString() << "\n";
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    QApplication::setApplicationName("krnsetup");
    QApplication::setApplicationVersion("1.0.0");
    const QString dir = argc > 1 ? argv[1] : "docs/images";
    QDir().mkpath(dir);

    platform::SystemClock clock;
    const std::string folder = QDir::tempPath().toStdString() + "/krn-screenshots";
    app::Simulation simulation(clock, folder);
    if (!simulation.start()) return 1;
    platform::MemorySettingsStore settings;
    sim::SimPortEnumerator ports({simulation.ptyPath()});
    app::Environment env{
        clock,  settings, simulation.usb(), ports, {"127.0.0.1", simulation.modulePort()},
        folder, "/FUL"};
    platform::console::ConsoleDialogs dialogs(std::cin, std::cerr, false, false);

    app::FMain window(env, &dialogs);
    window.SetupCustomer(3);
    window.SetupMenu();
    window.resize(640, 300);
    window.show();
    bool ok = save(window, dir, "main-window.png");
    QAction* file = window.action("mnuFile");
    if (file && file->menu()) ok = save(*file->menu(), dir, "file-menu.png", true) && ok;
    QAction* setting = window.action("mnuStrumento");
    if (setting && setting->menu())
        ok = save(*setting->menu(), dir, "setting-menu.png", true) && ok;

    app::FSceltaStrumento selection(env, dialogs);
    selection.setWindowTitle("Select instrument");
    selection.fill({});
    selection.runDiscoveryToEnd();
    selection.list()->setCurrentItem(selection.list()->topLevelItem(0));
    selection.resize(560, 260);
    selection.show();
    ok = save(selection, dir, "selection.png") && ok;

    auto& control = window.UCKRNVisual1();
    if (instrument::ApriCollegamento(control, "COM: 1", window.MSComm1(), window.Winsock1())) {
        app::FDataOra clockDialog(control, clock);
        clockDialog.tick();
        clockDialog.show();
        ok = save(clockDialog, dir, "clock.png", true) && ok;
        control.ChiudiComunicazioni00(false);
    }
    // The font builder with the settings the shipped Font8x10.asm was made with.
    for (const auto& [key, value] :
         {std::pair<const char*, const char*>{"FontName8x10", "DejaVu Sans Mono"},
          {"FontSize8x10", "7"},
          {"FontYoffset8x10", "-1"}})
        settings.setValue("krnsetup", "Preferenze", key, value);
    app::FCreaFontKRNV fonts(window, &window);
    fonts.show();
    ok = save(fonts, dir, "font-dialog.png", true) && ok;
    return ok ? 0 : 1;
}
