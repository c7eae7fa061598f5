#include "app/station_dialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "provisioning/profile_file.h"
#include "service/core/menu_commands.h"

namespace app {
namespace {

// The rows the window keeps; the report keeps them all.
constexpr int kShownRows = 12;
const QStringList kColumns = {"Time",    "Serial", "Name",         "Protocol", "Extension",
                              "Version", "Result", "Failed stage", "Seconds"};

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

StationDialog::StationDialog(service::CommandHost& host, QWidget* parent)
    : QDialog(parent), host_(host) {
    setObjectName("FStazione");
    setWindowTitle("Production station");
    auto* form = new QFormLayout;
    const auto withBrowse = [&](QLineEdit*& field, const char* label, const char* name,
                                bool folder) {
        field = new QLineEdit(this);
        field->setObjectName(name);
        auto* browseButton = new QPushButton("...", this);
        browseButton->setAutoDefault(false);
        connect(browseButton, &QPushButton::clicked, this, [=, this] { browse(field, folder); });
        auto* line = new QHBoxLayout;
        line->addWidget(field, 1);
        line->addWidget(browseButton);
        auto* caption = new QLabel(label, this);
        caption->setBuddy(field);
        form->addRow(caption, line);
    };
    withBrowse(profile_, "&Profile:", "txtProfilo", false);
    type_ = new QComboBox(this);
    type_->setObjectName("cmbTipo");
    type_->addItem("3", 3);
    type_->addItem("4", 4);
    form->addRow("Device &type:", type_);
    name_ = new QLineEdit("KRN {serial}", this);
    name_->setObjectName("txtNome");
    name_->setToolTip("{serial} is the instrument's serial number");
    form->addRow("&Name:", name_);
    withBrowse(report_, "&Report (CSV):", "txtReport", false);
    withBrowse(backups_, "&Backups folder:", "txtBackup", true);

    stage_ = new QLabel("Stopped", this);
    stage_->setObjectName("lblFase");
    QFont big = stage_->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    stage_->setFont(big);
    stage_->setWordWrap(true);
    stage_->setMinimumHeight(stage_->fontMetrics().height() * 2);
    counters_ = new QLabel(this);
    counters_->setObjectName("lblContatori");
    rows_ = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
    rows_->setObjectName("lstRighe");
    rows_->setHorizontalHeaderLabels(kColumns);
    rows_->verticalHeader()->setVisible(false);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    start_ = new QPushButton("&Start", this);
    start_->setObjectName("cmdStart");
    stop_ = new QPushButton("S&top", this);
    stop_->setObjectName("cmdStop");
    connect(start_, &QPushButton::clicked, this, [this] { start(); });
    connect(stop_, &QPushButton::clicked, this, [this] { stop(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(stop_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(stage_);
    layout->addWidget(counters_);
    layout->addWidget(rows_, 1);
    layout->addLayout(buttons);
    resize(760, 520);
    showCounters();
    running(false);
}

bool StationDialog::browse(QLineEdit* field, bool folder) {
    const QString chosen =
        folder ? QFileDialog::getExistingDirectory(this, "Backups folder", field->text())
               : QFileDialog::getSaveFileName(this, "File", field->text(), QString(), nullptr,
                                              QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return false;
    field->setText(chosen);
    return true;
}

service::Outcome StationDialog::start() {
    if (running_) return service::Outcome::Refused;
    const auto letto = provisioning::leggiFileProfilo(profile_->text().toStdString());
    if (!letto.profilo) {
        host_.dialogs().message({letto.errore, "Production station",
                                 platform::MessageIcon::Exclamation, platform::MessageButtons::Ok,
                                 0});
        return service::Outcome::FileError;
    }
    service::StationOptions options;
    options.profile = *letto.profilo;
    options.type = type_->currentData().toInt();
    options.nameTemplate = name_->text().toStdString();
    options.report = report_->text().toStdString();
    options.backups = backups_->text().toStdString();
    options.count = count;
    running(true);
    service::StationResult result;
    const service::Outcome outcome = service::runCommand(host_, [&](service::CommandHost& h) {
        result = service::runStation(h, options, *this);
        return result.cancelled ? service::Outcome::Cancelled : service::Outcome::Done;
    });
    running(false);
    if (!result.error.empty()) {
        stage_->setText(q(result.error));
        host_.dialogs().message({result.error, "Production station",
                                 platform::MessageIcon::Exclamation, platform::MessageButtons::Ok,
                                 0});
        return service::Outcome::FileError;
    }
    stage_->setText("Stopped");
    return outcome;
}

void StationDialog::reject() {
    // Closing the window while the station runs stops it first.
    if (running_) {
        stop();
        return;
    }
    QDialog::reject();
}

void StationDialog::stage(const std::string& text) {
    stage_->setText(q(text));
    host_.progressView().processEvents();
}

void StationDialog::row(const service::StationRow& r) {
    if (r.result == service::kResultDone)
        ++done_;
    else if (r.result == service::kResultFailed)
        ++failed_;
    showCounters();
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
    const QStringList cells = {q(r.time),
                               q(r.serial),
                               q(r.name),
                               QString::number(r.protocol),
                               QString::number(r.extension),
                               q(r.firmware),
                               q(r.result),
                               q(r.failedStage),
                               seconds};
    rows_->insertRow(0);
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (c == 7 && !r.reason.empty()) item->setToolTip(q(r.reason));
        rows_->setItem(0, c, item);
    }
    while (rows_->rowCount() > kShownRows) rows_->removeRow(rows_->rowCount() - 1);
}

void StationDialog::showCounters() {
    counters_->setText(QString("Done: %1    Failed: %2").arg(done_).arg(failed_));
}

void StationDialog::running(bool on) {
    running_ = on;
    stopping_ = false;
    start_->setEnabled(!on);
    stop_->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{profile_, type_, name_, report_, backups_})
        w->setEnabled(!on);
}

}  // namespace app
