#pragma once
// FMain: the main window with the command menu, the version label, the status label and the
// progress bar with its Cancel button. It hosts the instrument control and its serial port and
// socket; the controller decides the flow.
#include <QMainWindow>
#include <map>
#include <memory>

#include "app/controller.h"
#include "app/environment.h"
#include "app/qt_dialogs.h"
#include "instrument/uckrnvisual.h"

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace app {

class FMain final : public QMainWindow, public MainView {
    Q_OBJECT
public:
    FMain(Environment& env, platform::Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~FMain() override;

    void SetupCustomer(int level) { level_ = level; }
    void SetupMenu();
    QAction* action(const std::string& name) const;
    CMain& controller() { return *controller_; }
    instrument::UCKRNVisual& UCKRNVisual1() { return *control_; }
    platform::SerialPort* MSComm1() { return serial_.get(); }
    platform::UdpSocket* Winsock1() { return socket_.get(); }
    const std::string& chosenInstrument() const { return chosen_; }
    void setChosenInstrument(std::string d) { chosen_ = std::move(d); }
    int unloads() const { return unloads_; }
    QLabel* statusLabel() { return status_; }
    QProgressBar* progressBar() { return bar_; }

    // MainView
    void showStatus(const std::string& text) override;
    void showProgress(long maximum) override;
    void setProgress(long value) override;
    void hideProgress() override;
    void processEvents() override;
    void showClockDialog(instrument::UCKRNVisual& control) override;

    // Commands.
    void selectInstrument();
    void clockCommand();
    void communicationTest();
    // Style A: the controller connects the chosen instrument (Retry box, clock check, lock);
    // true when the instrument control is connected afterwards.
    bool RichiediCollegamento();
    // Style B: the window opens the link for the chosen instrument itself.
    bool ApriCollegamento();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    std::string choose(const std::string& title, krnlink::SelectionOptions options);

    Environment& env_;
    std::unique_ptr<QtDialogs> ownDialogs_;
    platform::Dialogs& dialogs_;
    std::unique_ptr<platform::SerialPort> serial_;
    std::unique_ptr<platform::UdpSocket> socket_;
    std::unique_ptr<instrument::UCKRNVisual> control_;
    std::unique_ptr<CMain> controller_;
    std::map<std::string, QAction*> actions_;
    QLabel* version_;
    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer* exitTimer_;
    int level_ = 0;
    int unloads_ = 0;
    std::string chosen_;
};

}  // namespace app
