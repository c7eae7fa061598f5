#pragma once
// The communication test's dialog: repeats the attempt every 100 ms with a heartbeat bar and
// "OK" / "NO".
#include <QDialog>
#include <string>

#include "service/command_host.h"

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

private:
    std::string description_;
    service::CommandHost& host_;
    QProgressBar* bar_;
    QLabel* label_;
    QTimer* timer_;
};

}  // namespace app
