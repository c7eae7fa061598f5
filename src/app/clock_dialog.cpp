#include "app/clock_dialog.h"

#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace app {

QString timeFormatWithSeconds(const QString& shortFormat) {
    if (shortFormat.contains('s')) return shortFormat;
    // The seconds follow the minutes with the separator the locale puts before the minutes.
    const qsizetype m = shortFormat.indexOf("mm");
    if (m < 0) return shortFormat + ":ss";
    const QString separator = m > 0 ? QString(shortFormat[m - 1]) : QString(":");
    QString f = shortFormat;
    f.insert(m + 2, separator + "ss");
    return f;
}

QString shortDateTime(const platform::LocalDateTime& t, const QLocale& locale) {
    const QDateTime dt(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    // The short date-time form, with the seconds that the comparison of the clocks is about.
    return locale.toString(dt, locale.dateFormat(QLocale::ShortFormat) + " " +
                                   timeFormatWithSeconds(locale.timeFormat(QLocale::ShortFormat)));
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
    // Enter closes the dialog; only the button itself sends the clock.
    sendButton->setAutoDefault(false);
    close->setDefault(true);
    sendButton->setObjectName("cmdInvia");
    close->setObjectName("cmdChiudi");
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

void FDataOra::showEvent(QShowEvent* event) {
    // The first reading is on screen with the dialog, not a tick later.
    if (!filled_) tick();
    QDialog::showEvent(event);
}

int FDataOra::interval() const {
    return timer_->interval();
}

void FDataOra::tick() {
    filled_ = true;
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
