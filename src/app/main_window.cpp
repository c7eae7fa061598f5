#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/clock_dialog.h"
#include "app/communication_dialog.h"
#include "app/font_dialog.h"
#include "app/instrument_panel.h"
#include "app/language_dialog.h"
#include "app/menu_model.h"
#include "app/profile_dialog.h"
#include "app/screen_copy_dialog.h"
#include "app/selection_dialog.h"
#include "app/serial_list_dialog.h"
#include "app/setup_eth_dialog.h"
#include "instrument/connection.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_udp_socket.h"
#include "platform/version.h"
#include "service/core/conversation.h"
#include "service/device/ethernet_commands.h"

namespace app {
namespace {
// An entry without a command (the PLC tools, the customer-machine set-ups, commands of later
// versions) is shown greyed with this tip; no enabled entry does nothing.
const char* const kNotAvailable = "Not available in this version.";
}  // namespace

FMain::FMain(Environment& env, platform::Dialogs* dialogs, QWidget* parent)
    : QMainWindow(parent),
      env_(env),
      ownDialogs_(dialogs ? nullptr : std::make_unique<QtDialogs>(this)),
      dialogs_(dialogs ? *dialogs : *ownDialogs_),
      recorder_(dialogs_),
      serial_(std::make_unique<platform::qt::QtSerialPort>()),
      socket_(std::make_unique<platform::qt::QtUdpSocket>()),
      control_(std::make_unique<instrument::UCKRNVisual>(env.clock, &env.usb, &env.ports)),
      version_(new QLabel(this)),
      status_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      exitTimer_(new QTimer(this)),
      log_(env.folder) {
    setObjectName("FMain");
    controller_ = std::make_unique<service::CMain>(*this);
    control_->setDialogs(&recorder_);
    control_->setRestartWaitScale(platform::restartWaitScale());
    buildWorkbench();
    connect(cancel_, &QPushButton::clicked, this, [this] { controller_->Annulla(); });
    exitTimer_->setSingleShot(true);
    exitTimer_->setInterval(100);
    connect(exitTimer_, &QTimer::timeout, this, [this] {
        controller_->Annulla();
        close();
    });
    buildMenu();
    resize(760, 480);
}

FMain::~FMain() = default;

void FMain::buildMenu() {
    std::map<std::string, QMenu*> menus;
    for (const MenuEntry& e : menuTable()) {
        const QString caption =
            e.separator ? QString() : QString::fromStdString(menuCaptions().at(e.name));
        if (!e.parent) {
            QMenu* m = menuBar()->addMenu(caption);
            m->setToolTipsVisible(true);
            menus[e.name] = m;
            actions_[e.name] = m->menuAction();
            continue;
        }
        QMenu* parent = menus.at(e.parent);
        const bool hasChildren = std::any_of(
            menuTable().begin(), menuTable().end(),
            [&](const MenuEntry& c) { return c.parent && std::string(c.parent) == e.name; });
        QAction* a = nullptr;
        if (e.separator) {
            a = parent->addSeparator();
        } else if (hasChildren) {
            QMenu* sub = parent->addMenu(caption);
            sub->setToolTipsVisible(true);
            menus[e.name] = sub;
            a = sub->menuAction();
        } else {
            a = parent->addAction(caption);
            a->setEnabled(false);  // until its command exists
            a->setToolTip(kNotAvailable);
        }
        a->setObjectName(e.name);
        actions_[e.name] = a;
    }
    // The entries the commands add beyond the table, each before the entry it names.
    for (const service::MenuPlacement& p : service::menuPlacements()) {
        const auto next = std::find_if(menuTable().begin(), menuTable().end(),
                                       [&](const MenuEntry& e) { return p.before == e.name; });
        QAction* a = new QAction(QString::fromStdString(p.caption), this);
        a->setObjectName(QString::fromStdString(p.name));
        menus.at(next->parent)->insertAction(action(p.before), a);
        actions_[p.name] = a;
    }
    action("mnuSoloDifferenze")->setCheckable(true);
    // The workbench's own check mark, beside the differences mode: krnctl's --verify for every
    // command run from the menu.
    QAction* verify = new QAction("&Verify transfers", this);
    verify->setObjectName("mnuVerifica");
    verify->setCheckable(true);
    verify->setToolTip(
        "Read back every write to the instrument and read again what followed a line fault; a "
        "byte that stays wrong fails the command with its address");
    menus.at("mnuFile")->insertAction(action("mnuCambiaIdUSB"), verify);
    actions_["mnuVerifica"] = verify;
    connect(verify, &QAction::toggled, this, [this](bool on) { setVerifica(on); });
    auto enable = [this](const std::string& name) {
        QAction* a = action(name);
        a->setEnabled(true);
        a->setToolTip(QString());
        return a;
    };
    // The production station: a window of its own over the format, the USB identity and the
    // backup, shown where both the format and the USB identity are.
    QAction* station = new QAction("Prod&uction station...", this);
    station->setObjectName("mnuStazione");
    menus.at("mnuFile")->insertAction(action("sep4"), station);
    actions_["mnuStazione"] = station;
    connect(station, &QAction::triggered, this, &FMain::showStation);
    connect(enable("mnuPreferenze"), &QAction::triggered, this, &FMain::chooseInstrument);
    for (const auto& [name, command] : service::menuCommands()) {
        const std::string caption = withoutMnemonic(action(name)->text().toStdString());
        connect(enable(name), &QAction::triggered, this,
                [this, command = command, caption] { run(command, caption); });
    }
    connect(enable("mnuExit"), &QAction::triggered, this, &QWidget::close);
    // The workbench's own Help menu: which build this is and where its files are.
    QMenu* help = menuBar()->addMenu("&Help");
    help->setToolTipsVisible(true);
    QAction* about = help->addAction("&About krnsetup...");
    about->setObjectName("mnuAbout");
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(
            this, "About krnsetup",
            QString::fromStdString("krnsetup " + platform::versionText() +
                                   "\nService and set-up tool for KRN Visual instruments\n\n"
                                   "Program folder: " +
                                   env_.folder));
    });
}

QAction* FMain::action(const std::string& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void FMain::SetupMenu() {
    const MenuFlags flags = computeFlags(env_.commandLine, level_);
    for (const MenuEntry& e : menuTable())
        if (e.rule != Visibility::Design) action(e.name)->setVisible(visible(e.rule, flags));
    // The verification is a service entry: shown where its neighbour, the differences mode, is.
    action("mnuVerifica")->setVisible(visible(Visibility::F, flags));
    action("mnuStazione")->setVisible(visible(Visibility::D, flags));
    setWindowTitle("Ferro-Luxit Setup (Debug)");
    const QStringList v = QApplication::applicationVersion().split('.');
    version_->setText(QString("Version %1.%2.%3")
                          .arg(v.value(0, "1"))
                          .arg(v.value(1, "0").toInt(), 2, 10, QChar('0'))
                          .arg(v.value(2, "0")));
    hideProgress();
    action("mnuSoloDifferenze")->setChecked(false);
    setSoloDifferenze(false);
}

void FMain::showStatus(const std::string& text) {
    status_->setText(QString::fromStdString(text));
    status_->setVisible(true);
}

void FMain::showProgress(long maximum) {
    bar_->setRange(0, static_cast<int>(maximum));
    bar_->setValue(0);
    bar_->setVisible(true);
    cancel_->setVisible(true);
}

void FMain::setProgress(long value) {
    bar_->setValue(static_cast<int>(value));
}

void FMain::hideProgress() {
    bar_->setVisible(false);
    status_->setVisible(false);
    cancel_->setVisible(running_);  // a running command can always be cancelled
}

void FMain::processEvents() {
    QApplication::processEvents();
}

bool FMain::showFolder(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void FMain::showClockDialog(instrument::UCKRNVisual& control) {
    FDataOra dialog(control, env_.clock, this);
    dialog.exec();
    if (dialog.sent()) activity.push_back("instrument clock set from the computer's");
}

void FMain::closeEvent(QCloseEvent* event) {
    if (!controller_->Annullando()) {
        // Ask a running transfer to stop, and come back in 100 ms to close for real.
        controller_->Annulla();
        event->ignore();
        if (!exitTimer_->isActive()) exitTimer_->start();
        return;
    }
    exitTimer_->stop();  // a close already under way must not unload a second time
    ++unloads_;
    event->accept();
}

std::optional<std::string> FMain::selectInstrument(const std::string& title,
                                                   const krnlink::SelectionOptions& options) {
    FSceltaStrumento dialog(env_, recorder_, this);
    dialog.setPreferred(lastInstrument(env_.settings, env_.application));
    const auto result = dialog.LoadForm(title, options);
    if (!result.ok || result.description.empty()) return std::nullopt;
    commandInstrument_ = result.description;
    // From here on the panel names the instrument the command works on.
    panel_->showSelected(result.description, running_);
    return result.description;
}

bool FMain::screenCopyVisible() {
    return computeFlags(env_.commandLine, level_).L;
}

service::Outcome FMain::showEthernetSetup(const std::string& mac) {
    std::string local;
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
            local = a.toString().toStdString();
            break;
        }
    }
    FSetupEth dialog(env_, recorder_, local, this);
    return service::outcomeOf(dialog.LoadForm(mac));
}

bool FMain::showProfileForm(provisioning::CProfilo& profile, bool electric, bool soloLingua,
                            bool conOrologio) {
    FProfilo form(env_.folder, this);
    return form.ShowForm(profile, electric, soloLingua, conOrologio);
}

std::optional<resources::SerialAssignment> FMain::showSerialList(int type) {
    FListaSN dialog(*this, this);
    return dialog.LoadForm(type);
}

void FMain::chooseInstrument() {
    if (auto d = service::selectInstrument(*this)) {
        chosen_ = *d;
        rememberInstrument(env_.settings, env_.application, chosen_);
        panel_->showSelected(chosen_, false);
    }
}

service::Outcome FMain::run(service::MenuCommand command, const std::string& caption) {
    if (running_) return service::Outcome::Refused;
    running_ = true;
    menuBar()->setEnabled(false);
    cancel_->setVisible(true);
    beginCommand();
    service::Outcome outcome = service::runCommand(*this, command);
    if (dialogOutcome_ && outcome == service::Outcome::Done) outcome = *dialogOutcome_;
    endCommand(caption, outcome);
    menuBar()->setEnabled(true);
    running_ = false;
    cancel_->setVisible(false);
    return outcome;
}

bool FMain::RichiediCollegamento() {
    controller_->Connect(chosen_);
    return control_->Collegato();
}

bool FMain::ApriCollegamento() {
    return instrument::ApriCollegamento(*control_, chosen_, serial_.get(), socket_.get());
}

void FMain::showCommunicationTest(const std::string& description) {
    FTestComm dialog(description, *this, this);
    dialog.exec();
    controller_->clearCancel();  // Exit stops an attempt under way, and nothing else
    activity.push_back("OK: " + std::to_string(dialog.okCount()) +
                       "  NO: " + std::to_string(dialog.noCount()));
    if (dialog.okCount() == 0 && dialog.noCount() > 0) dialogOutcome_ = service::Outcome::Failed;
    // A USB attempt never opens the instrument control; an OK attempt still reached it.
    if (dialog.okCount() > 0 && !reached_) {
        reached_ = InstrumentSnapshot{};
        reached_->description = description;
        reached_->connected = true;
    }
}

std::optional<int> FMain::chooseLanguage(const std::string& title, bool availability) {
    FLingua dialog(env_.folder, this);
    const int chosen = dialog.ShowForm(title, availability);
    if (chosen < 0) return std::nullopt;
    return chosen;
}

void FMain::showFontBuilder() {
    FCreaFontKRNV dialog(*this, this);
    dialog.exec();
}

void FMain::showScreenCopy(const std::string& description, bool menuMode) {
    FCopiaDisplay dialog(env_, *this, this);
    dialog.ShowForm(description, menuMode);
    if (dialog.started() && dialog.lastEnd() == service::ScreenCopyEnd::NoLink)
        dialogOutcome_ = service::Outcome::Failed;
}

}  // namespace app
