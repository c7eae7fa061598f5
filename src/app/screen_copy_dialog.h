#pragma once
// FCopiaDisplay: the screen copy's dialog. It has its own instrument control, serial port and
// socket, draws the picture while the copy fills it, and saves it as a Windows bitmap.
#include <QDialog>
#include <memory>
#include <string>

#include "app/environment.h"
#include "service/diagnostics/screen_copy.h"

class QLabel;
class QPushButton;

namespace app {

class FCopiaDisplay final : public QDialog {
    Q_OBJECT
public:
    FCopiaDisplay(Environment& env, service::CommandHost& host, QWidget* parent = nullptr);
    ~FCopiaDisplay() override;

    // Stores the description and the mode, and shows the dialog modally.
    void ShowForm(const std::string& description, bool menuMode);
    // Prepares the dialog without showing it (for ShowForm and the tests).
    void prepare(const std::string& description, bool menuMode);

    void cmdStartCopia_Click();
    void cmdSalva_Click();
    service::ScreenCopyEnd lastEnd() const { return lastEnd_; }
    // Whether a copy was started.
    bool started() const { return started_; }
    const service::ScreenCopy& copy() const { return *copy_; }
    QLabel* Picture1() { return picture_; }

protected:
    void reject() override;

private:
    void redraw();
    void enableButtons(bool on);

    Environment& env_;
    service::CommandHost& host_;
    std::unique_ptr<platform::SerialPort> serial_;
    std::unique_ptr<platform::UdpSocket> socket_;
    std::unique_ptr<instrument::UCKRNVisual> control_;
    std::unique_ptr<service::ScreenCopy> copy_;
    std::string description_;
    QLabel* picture_;
    QPushButton* start_;
    QPushButton* save_;
    QPushButton* close_;
    bool running_ = false;
    bool started_ = false;
    service::ScreenCopyEnd lastEnd_ = service::ScreenCopyEnd::NoLink;
};

}  // namespace app
