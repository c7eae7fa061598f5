// Renders the desktop program's windows offscreen into PNG files for the user guide, once per
// locale (Italian and English), on the simulated instruments of --simulate:
//   build/tools/krnscreenshots docs/images      -> docs/images/it/*.png, docs/images/en/*.png
// The main window is shown after three commands run through their real dialogs, which an
// autopilot answers (selection: the USB instrument; clock and communication test: closed once
// they show their readings).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <iostream>

#include "app/clock_dialog.h"
#include "app/communication_dialog.h"
#include "app/font_dialog.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/password_dialog.h"
#include "app/screen_copy_dialog.h"
#include "app/selection_dialog.h"
#include "app/simulation.h"
#include "platform/settings_store.h"
#include "sim/sim_serial_port.h"

namespace {

bool save(QWidget& w, const QString& dir, const char* name, bool fit = false) {
    if (fit) w.adjustSize();
    const bool ok = w.grab().save(dir + "/" + name);
    std::cout << (ok ? "wrote " : "could not write ") << (dir + "/" + name).toStdString() << "\n";
    return ok;
}

// Answers every box with its first button and every input with what it offers.
class ScriptedDialogs final : public platform::Dialogs {
public:
    platform::MessageResult message(const platform::MessageBox&) override {
        return platform::MessageResult::Ok;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string& initial) override {
        return initial;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::vector<platform::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&,
                                        const std::vector<platform::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice&) override {
        return std::nullopt;
    }
};

// Answers the modal dialogs of a command as the technician would, taking their pictures.
class Autopilot {
public:
    Autopilot(QString dir, bool& ok) : dir_(std::move(dir)), ok_(ok) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(30);
    }

private:
    void look() {
        QWidget* up = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<app::FSceltaStrumento*>(up)) return select(d);
        if (auto* d = qobject_cast<app::FDataOra*>(up)) {
            if (d->instrumentLabel()->text().isEmpty()) return;
            once(*d, "clock.png");
            d->accept();
        } else if (auto* d = qobject_cast<app::FTestComm*>(up)) {
            if (d->okCount() < 3) return;
            once(*d, "comm-test.png");
            d->accept();
        } else if (auto* d = qobject_cast<app::FLingua*>(up)) {
            once(*d, "language.png", true);
            d->reject();
        }
    }
    void select(app::FSceltaStrumento* d) {
        if (d->filling() || d->discovering() || d->list()->topLevelItemCount() == 0) return;
        if (!d->list()->currentItem()) d->list()->setCurrentItem(d->list()->topLevelItem(0));
        once(*d, "selection.png");
        d->okButton()->click();
    }
    void once(QWidget& w, const char* name, bool fit = false) {
        if (taken_.contains(name)) return;
        taken_.insert(name);
        ok_ = save(w, dir_, name, fit) && ok_;
    }

    QString dir_;
    bool& ok_;
    QTimer timer_;
    QSet<QString> taken_;
};

bool shoot(const QString& dir, app::Environment& env, platform::SettingsStore& settings,
           platform::Clock& clock) {
    bool ok = QDir().mkpath(dir);
    Autopilot pilot(dir, ok);

    app::FPassword password;
    password.setWindowTitle("Access password");
    password.show();
    ok = save(password, dir, "password.png", true) && ok;
    password.hide();

    ScriptedDialogs dialogs;
    app::FMain window(env, &dialogs);
    window.SetupCustomer(3);
    window.SetupMenu();
    window.resize(820, 520);
    window.show();
    for (const char* entry : {"mnuOrologio", "mnuTestComm", "mnuNomeStrumento"})
        window.action(entry)->trigger();
    ok = save(window, dir, "main-window.png") && ok;
    QAction* file = window.action("mnuFile");
    if (file && file->menu()) ok = save(*file->menu(), dir, "file-menu.png", true) && ok;
    QAction* setting = window.action("mnuStrumento");
    if (setting && setting->menu())
        ok = save(*setting->menu(), dir, "setting-menu.png", true) && ok;

    app::FLingua language(env.folder, &window);
    language.ShowForm("Lingua dello strumento", true);

    app::FCopiaDisplay screen(env, window, &window);
    screen.prepare("USB: " + std::string(app::Simulation::kUsbSerial), false);
    screen.show();
    screen.cmdStartCopia_Click();
    ok = save(screen, dir, "screen-copy.png", true) && ok;
    screen.hide();

    // The font builder with the settings the shipped Font8x10.asm was made with.
    for (const auto& [key, value] :
         {std::pair<const char*, const char*>{"FontName8x10", "DejaVu Sans Mono"},
          {"FontSize8x10", "7"},
          {"FontYoffset8x10", "-1"}})
        settings.setValue("krnsetup", "Preferenze", key, value);
    app::FCreaFontKRNV fonts(window, &window);
    fonts.show();
    ok = save(fonts, dir, "font-dialog.png", true) && ok;
    (void)clock;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    QApplication::setApplicationName("krnsetup");
    QApplication::setApplicationVersion("1.0.0");
    const QString dir = argc > 1 ? argv[1] : "docs/images";

    platform::SystemClock clock;
    const std::string folder = QDir::tempPath().toStdString() + "/krn-screenshots";
    QDir(QString::fromStdString(folder)).removeRecursively();
    QDir().mkpath(QString::fromStdString(folder));
    // The shipped data files, so that the windows show what a technician's program folder holds
    // (the language window's buttons follow the display-text files found there).
    std::error_code copied;
    std::filesystem::copy(KRN_DATA_DIR, folder, std::filesystem::copy_options::recursive, copied);
    if (copied) {
        std::cerr << "krnscreenshots: cannot copy " << KRN_DATA_DIR << ": " << copied.message()
                  << "\n";
        return 1;
    }
    app::Simulation simulation(clock, folder);
    if (!simulation.start()) {
        std::cerr << "krnscreenshots: " << simulation.error() << "\n";
        return 1;
    }
    sim::SimPortEnumerator ports({simulation.ptyPath()});
    bool ok = true;
    for (const auto& [locale, sub] :
         {std::pair<const char*, const char*>{"it_IT", "it"}, {"en_US", "en"}}) {
        QLocale::setDefault(QLocale(locale));
        platform::MemorySettingsStore settings;
        app::Environment env{
            clock,  settings, simulation.usb(), ports, {"127.0.0.1", simulation.modulePort()},
            folder, "/FUL"};
        ok = shoot(dir + "/" + sub, env, settings, clock) && ok;
    }
    return ok ? 0 : 1;
}
