// krnctl: the service commands of krnsetup for scripts and production lines.
#include <CLI/CLI.hpp>
#ifndef _WIN32
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStandardPaths>
#endif
#include <algorithm>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "cli/closing_line.h"
#include "cli/command_line.h"
#include "cli/context.h"
#include "service/core/program_folder.h"
#ifdef _WIN32
#include "platform/win/win_paths.h"
#endif

#ifndef KRN_SHIPPED_DATA
#define KRN_SHIPPED_DATA ""
#endif
// Where an installed copy keeps the shipped data, relative to the program's folder.
#ifndef KRN_INSTALLED_DATA
#define KRN_INSTALLED_DATA ""
#endif

namespace {

int runProgram(int argc, char** argv) {
#ifndef _WIN32
    // The Qt adapters (serial port, UDP socket) want an application object; no event loop runs.
    // The font builder draws with QFont on a QImage, which needs a QGuiApplication: "fonts" gets
    // one, on the "offscreen" platform unless QT_QPA_PLATFORM says otherwise (krnctl shows no
    // window); every other command keeps the plain QCoreApplication.
    std::unique_ptr<QCoreApplication> qt;
    if (std::any_of(argv + 1, argv + argc,
                    [](const char* a) { return std::string(a) == "fonts"; })) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        qt = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        qt = std::make_unique<QCoreApplication>(argc, argv);
    }
    // The same per-user program folder as the desktop program's.
    QCoreApplication::setApplicationName("krnsetup");
    const std::string programDirectory = QCoreApplication::applicationDirPath().toStdString();
    const std::string perUserFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString();
#else
    // Windows: the Win32 adapters need no application object; the per-user folder is the
    // desktop program's (%LOCALAPPDATA%\krnsetup).
    const std::string programDirectory = platform::win::programDirectory();
    const std::string perUserFolder = platform::win::perUserDataFolder("krnsetup");
#endif

    CLI::App app{"krnctl - service and set-up commands for KRN Visual instruments", "krnctl"};
    cli::GlobalOptions options;
    std::vector<cli::Command> commands;
    cli::buildCommandLine(app, options, commands);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int rc = app.exit(e);
        return rc == 0 ? cli::kDone : cli::kUsage;
    }

    options.perUserFolder = perUserFolder;
    options.shippedData =
        service::shippedDataFolder(programDirectory, KRN_INSTALLED_DATA, KRN_SHIPPED_DATA);
    cli::installInterruptHandlers();
    cli::Context ctx(options);
    if (!ctx.init()) return cli::kUsage;
    for (auto& c : commands) {
        if (!c.app->parsed()) continue;
        const int rc = c.run(ctx);
        // A usage error has said what was wrong; every other failure ends with one line that
        // says what happened, the instrument's state and what to run.
        if (rc != cli::kDone && rc != cli::kUsage)
            ctx.message(cli::closingLine(cli::commandPath(*c.app), rc));
        if (!ctx.keepSimulated() && rc == cli::kDone) return cli::kFileError;
        return rc;
    }
    return cli::kUsage;
}

}  // namespace

// No exception leaves the program: it ends with a message and a code that says it failed.
int main(int argc, char** argv) {
    try {
        return runProgram(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "krnctl: internal error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "krnctl: internal error\n";
    }
    return 1;
}
