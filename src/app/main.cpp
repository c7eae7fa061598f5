// krnsetup: the technician's desktop program.
#include <QApplication>
#include <QStandardPaths>
#include <QTimer>
#include <exception>
#include <iostream>
#include <memory>
#include <vector>

#include "app/access.h"
#include "app/command_line.h"
#include "app/environment.h"
#include "app/main_window.h"
#include "app/password_dialog.h"
#include "app/qt_dialogs.h"
#include "app/simulation.h"
#include "platform/frame_trace.h"
#ifdef _WIN32
#include "platform/win/d2xx_usb_bridge.h"
#else
#include "platform/ftdi/ftdi_usb_bridge.h"
#endif
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/version.h"
#include "service/core/program_folder.h"

#ifndef KRN_SHIPPED_DATA
#define KRN_SHIPPED_DATA ""
#endif
// Where an installed copy keeps the shipped data, relative to the program's folder.
#ifndef KRN_INSTALLED_DATA
#define KRN_INSTALLED_DATA ""
#endif

namespace {

int runProgram(int argc, char** argv) {
    // --help and --version need no window system.
    if (app::asksForHelp(argc, argv)) {
        std::cout << app::usageText();
        return 0;
    }
    if (app::asksForVersion(argc, argv)) {
        std::cout << "krnsetup " << platform::versionText() << "\n";
        return 0;
    }
    QApplication qt(argc, argv);
    QApplication::setApplicationName("krnsetup");
    QApplication::setApplicationVersion(platform::versionNumber());
    std::vector<std::string> args;
    for (const QString& a : QApplication::arguments().mid(1)) args.push_back(a.toStdString());
    const app::CommandLine options = app::parseCommandLine(args);
    if (!options.error.empty()) {
        std::cerr << "krnsetup: " << options.error << "\nTry 'krnsetup --help'.\n";
        return 2;
    }

    platform::SystemClock clock;
    platform::qt::QtSettingsStore settings;
    platform::qt::QtSerialPortEnumerator realPorts;
    const std::string perUser =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString();
    const std::string folder = service::resolveProgramFolder(
        options.folder, perUser,
        service::shippedDataFolder(QCoreApplication::applicationDirPath().toStdString(),
                                   KRN_INSTALLED_DATA, KRN_SHIPPED_DATA));

    std::unique_ptr<app::Simulation> simulation;
    std::unique_ptr<platform::UsbBridge> usb;
    std::unique_ptr<platform::SerialPortEnumerator> ports;
    krnlink::DiscoverySettings discovery;
    if (options.simulate) {
        simulation = std::make_unique<app::Simulation>(clock, folder);
        if (!simulation->start()) {
            const std::string why =
                "The simulated instruments could not be started: " + simulation->error() + ".";
            std::cerr << "krnsetup: " << why << "\n";
            if (QGuiApplication::platformName() != "offscreen") {
                app::QtDialogs box;
                box.message({why, "krnsetup", platform::MessageIcon::Critical,
                             platform::MessageButtons::Ok, 0});
            }
            return 1;
        }
        ports = std::make_unique<app::PortsWithSimulated>(realPorts, simulation->ptyPath());
        // The simulated module answers on loopback; nothing is broadcast.
        discovery = {"127.0.0.1", simulation->modulePort()};
    } else {
#ifdef _WIN32
        usb = std::make_unique<platform::win::D2xxUsbBridge>();
#else
        usb = std::make_unique<platform::ftdi::FtdiUsbBridge>();
#endif
        ports = std::make_unique<app::PortsWithSimulated>(realPorts, "");
    }
    app::Environment env{clock,           settings,  simulation ? simulation->usb() : *usb,
                         *ports,          discovery, folder,
                         options.switches};

    // The scripted close works in every state: a box or the password dialog that is up is
    // closed with the program, which then ends as its close sequence says.
    app::FMain* shown = nullptr;
    if (options.quitAfterMs > 0)
        QTimer::singleShot(options.quitAfterMs, &qt, [&shown] {
            if (shown && !QApplication::activeModalWidget())
                shown->close();
            else
                QCoreApplication::exit(0);
        });

    app::QtDialogs dialogs;
    app::FPassword password;
    const app::AccessResult access =
        app::Verifica("Access password", env.application, settings, password, dialogs);
    if (!access.accepted) return 0;

    // The trace is made before the window, so that it outlives the window's last frames.
    std::unique_ptr<platform::FrameTrace> trace;
    if (!options.trace.empty())
        trace = std::make_unique<platform::FrameTrace>(clock, options.trace);
    app::FMain window(env);
    if (trace) window.UCKRNVisual1().link().setTrace(trace.get());
    window.SetupCustomer(access.level);
    window.SetupMenu();
    window.show();
    shown = &window;
    return QApplication::exec();
}

}  // namespace

// No exception leaves the program: it ends with a message and a code that says it failed.
int main(int argc, char** argv) {
    try {
        return runProgram(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "krnsetup: internal error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "krnsetup: internal error\n";
    }
    return 1;
}
