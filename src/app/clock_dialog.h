#pragma once
// FDataOra: the computer's and the instrument's date and time side by side; "Send" sets the
// instrument's clock from the computer's. Reads every 200 ms, every 6 s while the instrument
// is silent; the first reading is made as the dialog is shown. Times carry their seconds in every
// locale.
#include <QDialog>
#include <QLocale>

#include "instrument/uckrnvisual.h"

class QLabel;
class QTimer;

namespace app {

class FDataOra final : public QDialog {
    Q_OBJECT
public:
    FDataOra(instrument::UCKRNVisual& control, platform::Clock& clock, QWidget* parent = nullptr);
    // One timer tick; public for tests.
    void tick();
    int interval() const;
    QLabel* pcLabel() { return pc_; }
    QLabel* instrumentLabel() { return instrument_; }
    void send() { sent_ = control_.SicronizzaOra() || sent_; }
    // Whether "Send" set the instrument's clock.
    bool sent() const { return sent_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool filled_ = false;
    bool sent_ = false;
    instrument::UCKRNVisual& control_;
    platform::Clock& clock_;
    QLabel* pc_;
    QLabel* instrument_;
    QTimer* timer_;
};

// The locale's short date and time, the time with its seconds ("HH:mm" -> "HH:mm:ss").
QString shortDateTime(const platform::LocalDateTime& t, const QLocale& locale = QLocale());
QString timeFormatWithSeconds(const QString& shortFormat);

}  // namespace app
