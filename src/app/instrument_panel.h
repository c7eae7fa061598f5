#pragma once
// The main window's workbench under the menu: the instrument of the last command (name, channel
// and description, protocol and extension, version, serial number, reached or not) and the
// activity log of this session, one row per command.
#include <QGroupBox>

#include "app/activity_log.h"
#include "app/instrument_record.h"

class QFormLayout;
class QLabel;
class QTreeWidget;

namespace app {

class InstrumentPanel final : public QGroupBox {
    Q_OBJECT
public:
    explicit InstrumentPanel(QWidget* parent = nullptr);
    void showInstrument(const InstrumentSnapshot& s);
    // An instrument just chosen in the selection: its description, channel and serial number;
    // running: the running command works on it.
    void showSelected(const std::string& description, bool running);
    // The texts shown, by field: "name", "channel", "description", "protocol", "version",
    // "serial", "state".
    QString field(const char* key) const;

private:
    QLabel* add(const char* key, const QString& caption);
    QFormLayout* form_;
};

class ActivityView final : public QGroupBox {
    Q_OBJECT
public:
    explicit ActivityView(QWidget* parent = nullptr);
    void add(const ActivityEntry& entry);
    QTreeWidget* list() { return list_; }

private:
    QTreeWidget* list_;
};

}  // namespace app
