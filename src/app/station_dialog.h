#pragma once
// "Production station...": the station of krnctl station in a window. The profile file, the
// device type, the name template, the report and the backup folder; the counters of done and
// failed instruments, the last report rows, the stage in large letters, and Start/Stop. It runs
// the service layer's station on the window's host, on the user-interface thread: its waits let
// the window repaint and take Stop.
#include <QDialog>
#include <string>

#include "service/core/command_host.h"
#include "service/production/station.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace app {

class StationDialog final : public QDialog, private service::StationView {
    Q_OBJECT
public:
    StationDialog(service::CommandHost& host, QWidget* parent = nullptr);

    // Start: the station runs until Stop (or the count of its options is reached); the outcome.
    service::Outcome start();
    void stop() { stopping_ = true; }

    // For tests: the fields and what the window shows, and the instruments of a run.
    QLineEdit* profileField() { return profile_; }
    QComboBox* typeField() { return type_; }
    QLineEdit* nameField() { return name_; }
    QLineEdit* reportField() { return report_; }
    QLineEdit* backupsField() { return backups_; }
    QLabel* stageText() { return stage_; }
    QLabel* counters() { return counters_; }
    QTableWidget* rows() { return rows_; }
    QPushButton* startButton() { return start_; }
    QPushButton* stopButton() { return stop_; }
    int count = 0;  // instruments per run; 0: until Stop
    // Called as the instrument is to be unplugged (a simulated bench plugs the next one).
    std::function<void()> onUnplug;

protected:
    void reject() override;

private:
    // service::StationView
    void stage(const std::string& text) override;
    void row(const service::StationRow& row) override;
    void unplugRequested(const std::string&) override {
        if (onUnplug) onUnplug();
    }
    bool stopRequested() override { return stopping_; }

    void showCounters();
    void running(bool on);
    bool browse(QLineEdit* field, bool folder);

    service::CommandHost& host_;
    QLineEdit* profile_;
    QComboBox* type_;
    QLineEdit* name_;
    QLineEdit* report_;
    QLineEdit* backups_;
    QLabel* stage_;
    QLabel* counters_;
    QTableWidget* rows_;
    QPushButton* start_;
    QPushButton* stop_;
    int done_ = 0;
    int failed_ = 0;
    bool running_ = false;
    bool stopping_ = false;
};

}  // namespace app
