#pragma once
// The communication test: one attempt to reach the chosen instrument, and the dialog that
// repeats it every 100 ms with a heartbeat bar and "OK" / "NO".
#include <QDialog>
#include <string>

#include "instrument/uckrnvisual.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace app {

// USB: the device opens, takes 115200 baud and one zero byte; serial and Ethernet: the link
// opens with the configuration read. The conversation is ended afterwards in every case.
bool communicationAttempt(instrument::UCKRNVisual& control, platform::UsbBridge& usb,
                          const std::string& description, platform::SerialPort* serial,
                          platform::UdpSocket* socket);

class FTestComm final : public QDialog {
    Q_OBJECT
public:
    FTestComm(std::string description, instrument::UCKRNVisual& control, platform::UsbBridge& usb,
              platform::SerialPort* serial, platform::UdpSocket* socket, QWidget* parent = nullptr);
    void tick();
    QLabel* result() { return label_; }
    QProgressBar* heartbeat() { return bar_; }

private:
    std::string description_;
    instrument::UCKRNVisual& control_;
    platform::UsbBridge& usb_;
    platform::SerialPort* serial_;
    platform::UdpSocket* socket_;
    QProgressBar* bar_;
    QLabel* label_;
    QTimer* timer_;
};

}  // namespace app
