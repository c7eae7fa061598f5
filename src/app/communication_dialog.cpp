#include "app/communication_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/instrument_record.h"
#include "service/core/controller.h"
#include "service/diagnostics/communication_check.h"

namespace app {

FTestComm::FTestComm(std::string description, service::CommandHost& host, QWidget* parent)
    : QDialog(parent),
      description_(std::move(description)),
      host_(host),
      bar_(new QProgressBar(this)),
      label_(new QLabel(this)),
      instrument_(new QLabel(this)),
      counts_(new QLabel(this)),
      timer_(new QTimer(this)) {
    setObjectName("FTestComm");
    setWindowTitle(tr("Communication test"));
    bar_->setRange(0, 10);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    instrument_->setObjectName("instrument");
    counts_->setObjectName("counts");
    instrument_->setText(tr("Instrument: %1").arg(QString::fromStdString(description_)));
    showCounts();
    QFont big = label_->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    label_->setFont(big);
    auto* exit = new QPushButton(tr("Exit"), this);
    connect(exit, &QPushButton::clicked, this, [this] {
        timer_->stop();
        host_.controller().Annulla();  // an open under way stops at its next probe
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instrument_);
    layout->addWidget(bar_);
    layout->addWidget(label_);
    layout->addWidget(counts_);
    layout->addWidget(exit);
    connect(timer_, &QTimer::timeout, this, &FTestComm::tick);
    timer_->start(100);
}

void FTestComm::tick() {
    if (inAttempt_) return;
    bar_->setValue(bar_->value() == bar_->maximum() ? 0 : bar_->value() + 1);
    inAttempt_ = true;
    const bool ok = service::communicationAttempt(host_, description_);
    inAttempt_ = false;
    if (host_.controller().Annullando()) return;  // Exit was pressed during the attempt
    label_->setText(ok ? "OK" : "NO");
    ++(ok ? ok_ : no_);
    // The name comes with the configuration read of a serial or Ethernet attempt; a USB attempt
    // only writes a byte.
    const std::string& name = host_.control().Nome();
    if (ok && !name.empty() && channelName(description_) != "USB")
        instrument_->setText(
            tr("Instrument: %1 (%2)")
                .arg(QString::fromStdString(description_), QString::fromStdString(name)));
    showCounts();
}

void FTestComm::showCounts() {
    const int total = ok_ + no_;
    const double rate = total ? 100.0 * no_ / total : 0.0;
    counts_->setText(tr("OK: %1   NO: %2   Errors: %3%").arg(ok_).arg(no_).arg(rate, 0, 'f', 1));
}

}  // namespace app
