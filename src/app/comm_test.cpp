#include "app/comm_test.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "instrument/connection.h"
#include "link/instrument_description.h"
#include "link/zenko_usb.h"

namespace app {

bool communicationAttempt(instrument::UCKRNVisual& control, platform::UsbBridge& usb,
                          const std::string& description, platform::SerialPort* serial,
                          platform::UdpSocket* socket) {
    using Kind = krnlink::InstrumentDescription::Kind;
    const auto d = krnlink::InstrumentDescription::parse(description);
    bool ok = false;
    if (d.kind == Kind::Usb) {
        const platform::FtHandle h = krnlink::ApriUSBPerNumeroSerie(usb, d.serialNumber);
        if (h != 0) {
            if (usb.SetBaudRate(h, 115200) == platform::FtStatus::Ok) {
                const std::uint8_t zero = 0;
                std::uint32_t written = 0;
                ok = usb.Write(h, &zero, 1, written) == platform::FtStatus::Ok && written == 1;
            }
            usb.Close(h);
        }
    } else if (d.kind != Kind::Invalid) {
        ok = instrument::ApriCollegamento(control, description, serial, socket) && control.Collegato();
    }
    control.ChiudiComunicazioni00(true);
    return ok;
}

FTestComm::FTestComm(std::string description, instrument::UCKRNVisual& control, platform::UsbBridge& usb,
                     platform::SerialPort* serial, platform::UdpSocket* socket, QWidget* parent)
    : QDialog(parent), description_(std::move(description)), control_(control), usb_(usb), serial_(serial),
      socket_(socket), bar_(new QProgressBar(this)), label_(new QLabel(this)), timer_(new QTimer(this)) {
    setObjectName("FTestComm");
    setWindowTitle(tr("Communication test"));
    bar_->setRange(0, 10);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    auto* exit = new QPushButton(tr("Exit"), this);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(label_);
    layout->addWidget(exit);
    connect(timer_, &QTimer::timeout, this, &FTestComm::tick);
    timer_->start(100);
}

void FTestComm::tick() {
    bar_->setValue(bar_->value() == bar_->maximum() ? 0 : bar_->value() + 1);
    const bool ok = communicationAttempt(control_, usb_, description_, serial_, socket_);
    label_->setText(ok ? "OK" : "NO");
}

}  // namespace app
