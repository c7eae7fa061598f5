#include "app/password_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace app {

FPassword::FPassword(QWidget* parent) : QDialog(parent), text_(new QLineEdit(this)) {
    auto* label = new QLabel(tr("&Password:"), this);
    label->setBuddy(text_);
    text_->setEchoMode(QLineEdit::Password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    setObjectName("FPassword");
}

std::optional<std::string> FPassword::ask(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
    text_->clear();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return text_->text().trimmed().toUpper().toStdString();
}

}  // namespace app
