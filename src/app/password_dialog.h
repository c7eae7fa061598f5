#pragma once
// FPassword: the access code box.
#include <QDialog>

#include "app/access.h"

class QLineEdit;

namespace app {

class FPassword final : public QDialog, public PasswordPrompt {
    Q_OBJECT
public:
    explicit FPassword(QWidget* parent = nullptr);
    std::optional<std::string> ask(const std::string& title) override;
    QLineEdit* field() { return text_; }

private:
    QLineEdit* text_;
};

}  // namespace app
