#pragma once
// FListaSN: the serial-number list in "Courier New". In edit mode (type 0) the list alone, saved
// by the close button; in program mode (type 3 or 4) the serial number, name and user fields and
// the program button, which assigns the number under the list's lock. Both buttons merge the
// edited list with the lines other stations added meanwhile. A missing list may be created empty.
#include <QDialog>
#include <optional>

#include "resources/serial_list.h"
#include "service/core/command_host.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace app {

class FListaSN final : public QDialog {
    Q_OBJECT
public:
    FListaSN(service::CommandHost& host, QWidget* parent = nullptr);

    // Shows the list modally; the assignment made with the program button.
    std::optional<resources::SerialAssignment> LoadForm(int type);

    // For tests: open without showing (false: "File not found" was shown), and the buttons.
    bool openList(int type);
    void program();
    void closeList();
    QPlainTextEdit* list() { return list_; }
    QLineEdit* txtSN() { return txtSN_; }
    QLineEdit* txtName() { return txtName_; }
    QLineEdit* txtUser() { return txtUser_; }
    QPushButton* cmdProg() { return cmdProg_; }
    const std::optional<resources::SerialAssignment>& assignment() const { return assignment_; }

private:
    void show(const std::vector<std::string>& lines);
    std::vector<std::string> shownLines() const;
    void reload();
    bool offerNewList();
    void box(const std::string& text);
    void notice(const std::string& text);

    service::CommandHost& host_;
    int type_ = 0;
    std::string path_;
    std::vector<std::string> loaded_;  // the list as read when the dialog opened
    long proposed_ = 0;
    std::optional<resources::SerialAssignment> assignment_;
    QPlainTextEdit* list_;
    QLineEdit* txtSN_;
    QLineEdit* txtName_;
    QLineEdit* txtUser_;
    QPushButton* cmdProg_;
    QPushButton* cmdOK_;
    QWidget* fields_;
};

}  // namespace app
