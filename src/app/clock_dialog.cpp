#include "app/clock_dialog.h"

#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace app {

QString shortDateTime(const platform::LocalDateTime& t) {
    const QDateTime dt(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    return QLocale::system().toString(dt, QLocale::ShortFormat);
}

FDataOra::FDataOra(instrument::UCKRNVisual& control, platform::Clock& clock, QWidget* parent)
    : QDialog(parent),
      control_(control),
      clock_(clock),
      pc_(new QLabel(this)),
      instrument_(new QLabel(this)),
      timer_(new QTimer(this)) {
    setObjectName("FDataOra");
    setWindowTitle(tr("Clock"));
    auto* form = new QFormLayout;
    form->addRow(tr("PC:"), pc_);
    form->addRow(tr("Instrument:"), instrument_);
    auto* sendButton = new QPushButton(tr("&Send"), this);
    auto* close = new QPushButton(tr("&Close"), this);
    connect(sendButton, &QPushButton::clicked, this, &FDataOra::send);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sendButton);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(timer_, &QTimer::timeout, this, &FDataOra::tick);
    timer_->start(200);
}

int FDataOra::interval() const {
    return timer_->interval();
}

void FDataOra::tick() {
    pc_->setText(shortDateTime(clock_.localNow()));
    if (auto t = control_.LeggiOra()) {
        instrument_->setText(shortDateTime(*t));
        timer_->setInterval(200);
        return;
    }
    // A silent instrument is asked again only every 6 s; the last time read stays shown.
    timer_->stop();
    timer_->setInterval(6000);
    timer_->start();
}

}  // namespace app
