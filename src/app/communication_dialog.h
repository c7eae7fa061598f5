#pragma once
// The communication test's dialog: repeats the attempt every 100 ms with a heartbeat bar and
// "OK" / "NO", names the instrument and counts the OK and NO attempts with the error rate.
// "Exit" is taken during an attempt too: a silent instrument's open is given up for it.
#include <QDialog>
#include <string>

#include "service/core/command_host.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace app {

class FTestComm final : public QDialog {
    Q_OBJECT
public:
    FTestComm(std::string description, service::CommandHost& host, QWidget* parent = nullptr);
    void tick();
    QLabel* result() { return label_; }
    QProgressBar* heartbeat() { return bar_; }
    QLabel* instrumentLabel() { return instrument_; }
    QLabel* countsLabel() { return counts_; }
    int okCount() const { return ok_; }
    int noCount() const { return no_; }

private:
    void showCounts();

    std::string description_;
    service::CommandHost& host_;
    QProgressBar* bar_;
    QLabel* label_;
    QLabel* instrument_;
    QLabel* counts_;
    QTimer* timer_;
    int ok_ = 0;
    int no_ = 0;
    bool inAttempt_ = false;  // the window lives during an attempt: no second one inside it
};

}  // namespace app
