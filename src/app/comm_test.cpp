#include "app/comm_test.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "service/communication_test.h"

namespace app {

FTestComm::FTestComm(std::string description, service::CommandHost& host, QWidget* parent)
    : QDialog(parent),
      description_(std::move(description)),
      host_(host),
      bar_(new QProgressBar(this)),
      label_(new QLabel(this)),
      timer_(new QTimer(this)) {
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
    const bool ok = service::communicationAttempt(host_, description_);
    label_->setText(ok ? "OK" : "NO");
}

}  // namespace app
