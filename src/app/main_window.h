#pragma once
// FMain: the main window with the command menu, the instrument of the last command and the
// activity log, and a status bar with the status label, the progress bar, its Cancel button and
// the version. It hosts the instrument control and its serial port and socket, and is the
// commands' host: the commands themselves live in the service layer.
#include <QMainWindow>
#include <map>
#include <memory>

#include "app/activity_log.h"
#include "app/environment.h"
#include "app/instrument_record.h"
#include "app/qt_dialogs.h"
#include "instrument/uckrnvisual.h"
#include "service/core/command_host.h"
#include "service/core/controller.h"
#include "service/core/menu_commands.h"

class QAction;
class QMenu;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace app {

class ActivityView;
class InstrumentPanel;

class FMain final : public QMainWindow, public service::CommandHost, public service::ProgressView {
    Q_OBJECT
public:
    FMain(Environment& env, platform::Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~FMain() override;

    void SetupCustomer(int level) { level_ = level; }
    void SetupMenu();
    QAction* action(const std::string& name) const;
    instrument::UCKRNVisual& UCKRNVisual1() { return *control_; }
    platform::SerialPort* MSComm1() { return serial_.get(); }
    platform::UdpSocket* Winsock1() { return socket_.get(); }
    const std::string& chosenInstrument() const { return chosen_; }
    void setChosenInstrument(std::string d) { chosen_ = std::move(d); }
    int unloads() const { return unloads_; }
    QLabel* statusLabel() { return status_; }
    QProgressBar* progressBar() { return bar_; }
    QPushButton* cancelButton() { return cancel_; }
    InstrumentPanel* instrumentPanel() { return panel_; }
    ActivityView* activityView() { return activity_; }
    const ActivityLog& activityLog() const { return log_; }

    // service::CommandHost
    platform::Dialogs& dialogs() override { return recorder_; }
    platform::Clock& clock() override { return env_.clock; }
    platform::SettingsStore& settings() override { return env_.settings; }
    const std::string& programFolder() override { return env_.folder; }
    instrument::UCKRNVisual& control() override { return *control_; }
    platform::SerialPort* serialPort() override { return serial_.get(); }
    platform::UdpSocket* socket() override { return socket_.get(); }
    platform::UsbBridge& usb() override { return env_.usb; }
    service::CMain& controller() override { return *controller_; }
    service::ProgressView& progressView() override { return *this; }
    std::optional<std::string> selectInstrument(const std::string& title,
                                                const krnlink::SelectionOptions& options) override;
    bool showFolder(const std::string& path) override;
    void showClockDialog(instrument::UCKRNVisual& control) override;
    void showCommunicationTest(const std::string& description) override;
    std::optional<int> chooseLanguage(const std::string& title, bool availability) override;
    void showFontBuilder() override;
    void showScreenCopy(const std::string& description, bool menuMode) override;
    bool screenCopyVisible() override;
    // FSetupEth for the module.
    service::Outcome showEthernetSetup(const std::string& mac) override;
    std::optional<resources::SerialAssignment> showSerialList(int type) override;
    // FProfilo before a format.
    bool showProfileForm(provisioning::CProfilo& profile, bool electric, bool soloLingua,
                         bool conOrologio) override;

    // service::ProgressView
    void showStatus(const std::string& text) override;
    void showProgress(long maximum) override;
    void setProgress(long value) override;
    void hideProgress() override;
    void processEvents() override;

    // "&Select instrument...": the chosen instrument of the style A and B connections.
    void chooseInstrument();
    // Runs a menu command; while it runs the menu takes no other command. The instrument panel
    // and the activity log tell how it ended; caption: the entry's, for the log.
    service::Outcome run(service::MenuCommand command, const std::string& caption = {});
    // Style A: the controller connects the chosen instrument (Retry box, clock check, lock);
    // true when the instrument control is connected afterwards.
    bool RichiediCollegamento();
    // Style B: the window opens the link for the chosen instrument itself.
    bool ApriCollegamento();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    // File > "Open program folder": the folder of the tool's files, in the file manager.
    // The workbench under the menu and the status bar (main_window_workbench.cpp).
    void buildWorkbench();
    void beginCommand();
    void endCommand(const std::string& caption, service::Outcome outcome);
    // Called as the instrument control closes its link: what it knew of the instrument.
    void noteClosing();

    Environment& env_;
    std::unique_ptr<QtDialogs> ownDialogs_;
    platform::Dialogs& dialogs_;
    MessageRecorder recorder_;  // every box goes through it, for the activity log
    std::unique_ptr<platform::SerialPort> serial_;
    std::unique_ptr<platform::UdpSocket> socket_;
    std::unique_ptr<instrument::UCKRNVisual> control_;
    std::unique_ptr<service::CMain> controller_;
    std::map<std::string, QAction*> actions_;
    QLabel* version_;
    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer* exitTimer_;
    int level_ = 0;
    int unloads_ = 0;
    bool running_ = false;
    std::string chosen_;
    InstrumentPanel* panel_ = nullptr;
    ActivityView* activity_ = nullptr;
    ActivityLog log_;
    std::string commandInstrument_;  // chosen during the running command
    std::optional<InstrumentSnapshot> reached_;
    // How a command's own dialog ended when that says more than the command's outcome (a
    // communication test with no OK, a screen copy that reached nothing).
    std::optional<service::Outcome> dialogOutcome_;
};

}  // namespace app
