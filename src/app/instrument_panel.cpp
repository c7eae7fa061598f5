#include "app/instrument_panel.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace app {
namespace {
const char* const kNone = "-";

QString text(const std::string& s) {
    return s.empty() ? QString(kNone) : QString::fromStdString(s);
}
}  // namespace

InstrumentPanel::InstrumentPanel(QWidget* parent)
    : QGroupBox(tr("Instrument"), parent), form_(new QFormLayout(this)) {
    setObjectName("instrumentPanel");
    add("name", tr("Name:"));
    add("channel", tr("Channel:"));
    add("description", tr("Description:"));
    add("protocol", tr("Protocol:"));
    add("version", tr("Version:"));
    add("serial", tr("Serial number:"));
    add("state", tr("State:"))->setText(tr("No command run yet"));
}

QLabel* InstrumentPanel::add(const char* key, const QString& caption) {
    auto* value = new QLabel(kNone, this);
    value->setObjectName(key);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form_->addRow(caption, value);
    return value;
}

QString InstrumentPanel::field(const char* key) const {
    const auto* label = findChild<QLabel*>(key);
    return label ? label->text() : QString();
}

void InstrumentPanel::showInstrument(const InstrumentSnapshot& s) {
    auto set = [this](const char* key, const QString& value) {
        findChild<QLabel*>(key)->setText(value);
    };
    set("name", text(s.name));
    set("channel", text(channelName(s.description)));
    set("description", text(s.description));
    set("protocol",
        s.protocol > 0 ? QString("%1-%2").arg(s.protocol).arg(s.extensions) : QString(kNone));
    set("version", text(s.version));
    set("serial", text(serialNumberOf(s.description)));
    QString state = s.connected ? tr("Reached by the last command") : tr("Not reached");
    if (s.connected && s.updateMode) state += tr(" (update mode)");
    set("state", state);
}

void InstrumentPanel::showSelected(const std::string& description, bool running) {
    InstrumentSnapshot s;
    s.description = description;
    showInstrument(s);
    findChild<QLabel*>("state")->setText(running ? tr("Selected for the running command")
                                                 : tr("Selected"));
}

ActivityView::ActivityView(QWidget* parent)
    : QGroupBox(tr("Activity"), parent), list_(new QTreeWidget(this)) {
    setObjectName("activityView");
    list_->setObjectName("activityList");
    list_->setColumnCount(5);
    list_->setHeaderLabels(
        {tr("Time"), tr("Command"), tr("Instrument"), tr("Result"), tr("Message")});
    list_->setRootIsDecorated(false);
    list_->setAlternatingRowColors(true);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, 70);
    list_->setColumnWidth(1, 170);
    list_->setColumnWidth(2, 220);
    list_->setColumnWidth(3, 80);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
}

void ActivityView::add(const ActivityEntry& e) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, QString("%1:%2:%3")
                         .arg(e.time.hour, 2, 10, QChar('0'))
                         .arg(e.time.minute, 2, 10, QChar('0'))
                         .arg(e.time.second, 2, 10, QChar('0')));
    item->setText(1, QString::fromStdString(e.command));
    item->setText(2, text(e.instrument));
    item->setText(3, QString::fromStdString(resultText(e.result)));
    item->setText(4, text(e.message));
    item->setToolTip(4, item->text(4));
    list_->scrollToItem(item);
}

}  // namespace app
