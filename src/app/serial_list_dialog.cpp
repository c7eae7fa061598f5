#include "app/serial_list_dialog.h"

#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

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
    for (const auto& l : lines) text << QString::fromStdString(l);
    list_->setPlainText(text.join('\n'));
}

std::vector<std::string> FListaSN::shownLines() const {
    std::vector<std::string> lines;
    for (const QString& l : list_->toPlainText().split('\n')) lines.push_back(l.toStdString());
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

void FListaSN::notice(const std::string& text) {
    if (!text.empty()) box(text);
}

// "File not found" as the list dialog always told it, then the offer to start an empty list
// (a new installation has none).
bool FListaSN::offerNewList() {
    box(resources::serialListMissingText());
    if (host_.dialogs().message({resources::serialListCreateQuestion(path_), "",
                                 platform::MessageIcon::Question, platform::MessageButtons::YesNo,
                                 1}) != platform::MessageResult::Yes)
        return false;
    if (resources::createSerialList(path_)) return true;
    box("Impossibile scrivere il file " + path_);
    return false;
}

bool FListaSN::openList(int type) {
    type_ = type;
    assignment_.reset();
    path_ = resources::serialListPath(host_.settings(), host_.programFolder());
    backup::FileProblem problem;
    auto lines = resources::readSerialList(path_, &problem);
    std::error_code ec;
    if (!lines && !std::filesystem::exists(std::filesystem::symlink_status(path_, ec))) {
        if (!offerNewList()) return false;
        lines = resources::readSerialList(path_, &problem);
    }
    if (!lines) {
        box(resources::serialListRefusedText(path_, problem));
        return false;
    }
    loaded_ = *lines;
    show(*lines);
    const bool programMode = type != 0;
    fields_->setVisible(programMode);
    cmdProg_->setVisible(programMode);
    if (programMode) {
        proposed_ = resources::proposedSerialNumber(*lines, host_.settings(),
                                                    resources::kProgramSettings, type);
        if (auto usedUp = resources::serialNumbersUsedUp(type, proposed_)) {
            box(*usedUp);
            return false;
        }
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
    // The list as shown (with the technician's edits) is merged under the lock with the lines
    // other stations added since it was loaded, then the new line is appended.
    const resources::AssignRequest request{type_,
                                           std::stol(number),
                                           proposed_,
                                           txtName_->text().toStdString(),
                                           txtUser_->text().toStdString(),
                                           resources::SerialListEdit{loaded_, shownLines()}};
    const auto r =
        resources::assignSerialNumber(path_, host_.settings(), resources::kProgramSettings,
                                      host_.clock(), request, service::kSerialListLockTimeout);
    notice(r.notice);
    if (!r.assignment) {
        box(r.error);
        reload();
        return;
    }
    assignment_ = r.assignment;
    accept();
}

// After a refused save: the file as it is now, with the technician's edits kept on top of it.
void FListaSN::reload() {
    const auto current = resources::readSerialList(path_);
    if (!current) return;
    show(resources::mergeSerialList({loaded_, shownLines()}, *current));
    loaded_ = *current;
}

void FListaSN::closeList() {
    // The technician's edits are saved under the lock, merged with the lines other stations
    // added since the list was loaded, so that none of their numbers is lost and given again.
    const auto r = resources::saveSerialListEdit(path_, host_.clock(), {loaded_, shownLines()},
                                                 service::kSerialListLockTimeout);
    notice(r.notice);
    if (!r.saved) {
        box(r.error);  // the dialog stays open with the edits; OK tries again
        reload();
        return;
    }
    reject();
}

}  // namespace app
