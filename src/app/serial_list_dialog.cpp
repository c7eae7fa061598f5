#include "app/serial_list_dialog.h"

#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "service/device/usb_commands.h"

namespace app {

FListaSN::FListaSN(service::CommandHost& host, QWidget* parent)
    : QDialog(parent),
      host_(host),
      list_(new QPlainTextEdit(this)),
      txtSN_(new QLineEdit(this)),
      txtName_(new QLineEdit(this)),
      txtUser_(new QLineEdit(this)),
      cmdProg_(new QPushButton(tr("Program"), this)),
      cmdOK_(new QPushButton(tr("OK"), this)),
      fields_(new QWidget(this)) {
    setObjectName("FListaSN");
    setWindowTitle(tr("Serial number list"));
    list_->setFont(QFont(QString::fromUtf8(resources::kSerialListFont), 10));
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSN_->setObjectName("txtSN");
    txtName_->setObjectName("txtName");
    txtUser_->setObjectName("txtUser");
    auto* form = new QFormLayout(fields_);
    form->addRow(tr("Serial number:"), txtSN_);
    form->addRow(tr("Name:"), txtName_);
    form->addRow(tr("User:"), txtUser_);
    connect(cmdProg_, &QPushButton::clicked, this, &FListaSN::program);
    connect(cmdOK_, &QPushButton::clicked, this, &FListaSN::closeList);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdProg_);
    buttons->addWidget(cmdOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(fields_);
    layout->addLayout(buttons);
    resize(640, 420);
}

void FListaSN::box(const std::string& text) {
    host_.dialogs().message(
        {text, "", platform::MessageIcon::None, platform::MessageButtons::Ok, 0});
}

void FListaSN::show(const std::vector<std::string>& lines) {
    QStringList text;
    for (const auto& l : lines) text << QString::fromLatin1(l.c_str());
    list_->setPlainText(text.join('\n'));
}

bool FListaSN::openList(int type) {
    type_ = type;
    assignment_.reset();
    path_ = resources::serialListPath(host_.settings(), host_.programFolder());
    backup::FileProblem problem;
    const auto lines = resources::readSerialList(path_, &problem);
    if (!lines) {
        box(resources::serialListRefusedText(path_, problem));
        return false;
    }
    show(*lines);
    const bool programMode = type != 0;
    fields_->setVisible(programMode);
    cmdProg_->setVisible(programMode);
    if (programMode) {
        proposed_ = resources::proposedSerialNumber(*lines, host_.settings(),
                                                    resources::kProgramSettings, type);
        txtSN_->setText(QString::number(proposed_));
        txtName_->setText(QString::fromStdString(resources::defaultInstrumentName(type)));
        txtUser_->setText(QString::fromStdString(resources::defaultUserText(type)));
    }
    return true;
}

std::optional<resources::SerialAssignment> FListaSN::LoadForm(int type) {
    if (!openList(type)) return std::nullopt;
    exec();
    return assignment_;
}

void FListaSN::program() {
    const std::string number = txtSN_->text().toStdString();
    if (auto error = resources::serialFieldsError(number, type_, txtName_->text().toStdString())) {
        box(*error);
        return;  // the dialog stays open, nothing changed
    }
    const resources::AssignRequest request{type_, std::stol(number), proposed_,
                                           txtName_->text().toStdString(),
                                           txtUser_->text().toStdString()};
    const auto r =
        resources::assignSerialNumber(path_, host_.settings(), resources::kProgramSettings,
                                      host_.clock(), request, service::kSerialListLockTimeout);
    if (!r.assignment) {
        box(r.error);
        if (auto lines = resources::readSerialList(path_)) show(*lines);
        return;
    }
    assignment_ = r.assignment;
    accept();
}

void FListaSN::closeList() {
    // The technician's edits are saved under the lock, so that no other station's line is lost
    // in between.
    std::vector<std::string> lines;
    for (const QString& l : list_->toPlainText().split('\n'))
        lines.push_back(l.toLatin1().toStdString());
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    resources::SerialListLock lock(path_, host_.clock());
    if (!lock.acquire(service::kSerialListLockTimeout)) {
        box(resources::serialListBusyText(lock.path()));
        return;
    }
    if (!resources::writeSerialList(path_, lines)) box("Impossibile scrivere il file " + path_);
    reject();
}

}  // namespace app
