#pragma once
// FSceltaStrumento: the instrument selection. Shows itself at once, then lists USB devices (each
// probed) and serial ports as they are found, then Ethernet instruments as discovery finds them
// (a 400 ms timer drives it). A busy bar runs while it looks; Refresh looks again. The last
// instrument used is selected as soon as its row appears.
#include <QDialog>
#include <memory>

#include "app/environment.h"
#include "instrument/probe.h"
#include "link/ethernet_discovery.h"
#include "link/selection.h"
#include "platform/dialogs.h"
#include "platform/udp_socket.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace app {

class FSceltaStrumento final : public QDialog {
    Q_OBJECT
public:
    // A module step that times out is repeated twice, then the module is given up.
    static constexpr int kRepeatLimit = 2;

    FSceltaStrumento(Environment& env, platform::Dialogs& dialogs, QWidget* parent = nullptr);
    ~FSceltaStrumento() override;

    // The description of the row to select as soon as it appears (the last instrument used).
    void setPreferred(std::string description) { preferred_ = std::move(description); }
    // Shows the dialog modally; the chosen description, the second text, ok.
    krnlink::SelectionResult LoadForm(const std::string& title, krnlink::SelectionOptions options);

    // For tests and screenshots: fill without showing, run discovery to its end.
    void fill(krnlink::SelectionOptions options);
    void runDiscoveryToEnd();
    QTreeWidget* list() { return list_; }
    QPushButton* okButton() { return ok_; }
    QPushButton* refreshButton() { return refresh_; }
    QWidget* busyIndicator() { return busy_; }
    QLabel* hint() { return hint_; }
    bool discovering() const { return discovery_ && discovery_->running(); }
    bool filling() const { return filling_; }

private:
    void refresh();
    void poll();
    void updateOk();
    void choose();
    void again();

    Environment& env_;
    platform::Dialogs& dialogs_;
    std::unique_ptr<platform::UdpSocket> moduleSocket_;
    std::unique_ptr<platform::UdpSocket> probeSocket_;
    std::unique_ptr<instrument::InstrumentProbe> probe_;
    std::unique_ptr<krnlink::SelectionList> selection_;
    std::unique_ptr<krnlink::EthernetDiscovery> discovery_;
    krnlink::SelectionOptions options_;
    std::string preferred_;
    QTreeWidget* list_;
    QWidget* busy_;
    QLabel* hint_;
    QPushButton* ok_;
    QPushButton* refresh_;
    QTimer* timer_;
    int pollsSinceTick_ = 0;
    bool filling_ = false;
    bool refreshing_ = false;  // the list is being redrawn, not clicked
    bool picked_ = false;      // the technician chose a row himself
    krnlink::SelectionResult result_;
};

}  // namespace app
