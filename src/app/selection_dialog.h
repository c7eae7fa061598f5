#pragma once
// FSceltaStrumento: the instrument selection. Lists USB devices and serial ports at once, then
// Ethernet instruments as discovery finds them (a 400 ms timer drives it).
#include <QDialog>
#include <memory>

#include "app/environment.h"
#include "instrument/probe.h"
#include "link/ethernet_discovery.h"
#include "link/selection.h"
#include "platform/dialogs.h"
#include "platform/udp_socket.h"

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace app {

class FSceltaStrumento final : public QDialog {
    Q_OBJECT
public:
    FSceltaStrumento(Environment& env, platform::Dialogs& dialogs, QWidget* parent = nullptr);
    ~FSceltaStrumento() override;

    // Shows the dialog modally; the chosen description, the second text, ok.
    krnlink::SelectionResult LoadForm(const std::string& title, krnlink::SelectionOptions options);

    // For tests and screenshots: fill without showing, run discovery to its end.
    void fill(krnlink::SelectionOptions options);
    void runDiscoveryToEnd();
    QTreeWidget* list() { return list_; }
    QPushButton* okButton() { return ok_; }
    bool discovering() const { return discovery_ && discovery_->running(); }

private:
    void refresh();
    void poll();
    void updateOk();
    void choose();

    Environment& env_;
    platform::Dialogs& dialogs_;
    std::unique_ptr<platform::UdpSocket> moduleSocket_;
    std::unique_ptr<platform::UdpSocket> probeSocket_;
    std::unique_ptr<instrument::InstrumentProbe> probe_;
    std::unique_ptr<krnlink::SelectionList> selection_;
    std::unique_ptr<krnlink::EthernetDiscovery> discovery_;
    QTreeWidget* list_;
    QLabel* hourglass_;
    QPushButton* ok_;
    QTimer* timer_;
    int pollsSinceTick_ = 0;
    krnlink::SelectionResult result_;
};

}  // namespace app
