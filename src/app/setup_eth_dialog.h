#pragma once
// FSetupEth, "Ethernet communication settings": the computer's address, the module's address
// read by steps 1 to 5, OK for steps 10 to 21, Cancel at any time. The set-up itself is
// krnlink::EthernetSetup; a 400 ms timer and the socket drive it.
#include <QDialog>
#include <memory>

#include "app/environment.h"
#include "link/ethernet_setup.h"
#include "platform/dialogs.h"
#include "platform/udp_socket.h"

class QLineEdit;
class QPushButton;
class QTimer;

namespace app {

class FSetupEth final : public QDialog {
    Q_OBJECT
public:
    // socket: the one for the module commands (nullptr: a UDP socket of the system).
    FSetupEth(Environment& env, platform::Dialogs& dialogs, const std::string& localAddress,
              QWidget* parent = nullptr, std::unique_ptr<platform::UdpSocket> socket = nullptr);
    ~FSetupEth() override;

    // Shows the dialog modally for the module of this MAC address; how the set-up ended.
    krnlink::EthernetSetup::End LoadForm(const std::string& mac);

    // For tests: start without showing, and look at the socket and the timer once.
    void begin(const std::string& mac);
    void poll();
    QLineEdit* txtIP() { return txtIP_; }
    QLineEdit* txtLocalIP() { return txtLocalIP_; }
    QPushButton* okButton() { return ok_; }
    krnlink::EthernetSetup* setup() { return setup_.get(); }

private:
    void refresh();
    void confirm();

    Environment& env_;
    platform::Dialogs& dialogs_;
    std::unique_ptr<platform::UdpSocket> socket_;  // Winsock1
    std::unique_ptr<krnlink::EthernetSetup> setup_;
    QLineEdit* txtIP_;
    QLineEdit* txtLocalIP_;
    QPushButton* ok_;
    QTimer* timer_;
    int pollsSinceTick_ = 0;
};

}  // namespace app
