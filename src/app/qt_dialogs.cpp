#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace app {
namespace {

QString filterText(const std::vector<platform::FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QStringList patterns;
        for (const auto& p : f.patterns) patterns << QString::fromStdString(p);
        // A description that names its patterns already ("Immagine (*.bmp)") keeps its words.
        const QString description = QString::fromStdString(f.description);
        const QString named = "(" + patterns.join(' ') + ")";
        parts << (description.endsWith(named) ? description : description + " " + named);
    }
    return parts.join(";;");
}

struct ButtonSet {
    std::vector<std::pair<QMessageBox::StandardButton, platform::MessageResult>> buttons;
};

ButtonSet buttonsFor(platform::MessageButtons b) {
    using M = QMessageBox;
    using R = platform::MessageResult;
    switch (b) {
        case platform::MessageButtons::Ok:
            return {{{M::Ok, R::Ok}}};
        case platform::MessageButtons::OkCancel:
            return {{{M::Ok, R::Ok}, {M::Cancel, R::Cancel}}};
        case platform::MessageButtons::YesNo:
            return {{{M::Yes, R::Yes}, {M::No, R::No}}};
        case platform::MessageButtons::YesNoCancel:
            return {{{M::Yes, R::Yes}, {M::No, R::No}, {M::Cancel, R::Cancel}}};
        case platform::MessageButtons::RetryCancel:
            return {{{M::Retry, R::Retry}, {M::Cancel, R::Cancel}}};
        case platform::MessageButtons::AbortRetryIgnore:
            return {{{M::Abort, R::Abort}, {M::Retry, R::Retry}, {M::Ignore, R::Ignore}}};
    }
    return {{{M::Ok, R::Ok}}};
}

QMessageBox::Icon iconFor(platform::MessageIcon i) {
    switch (i) {
        case platform::MessageIcon::Information:
            return QMessageBox::Information;
        case platform::MessageIcon::Question:
            return QMessageBox::Question;
        case platform::MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case platform::MessageIcon::Critical:
            return QMessageBox::Critical;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

platform::MessageResult QtDialogs::message(const platform::MessageBox& box) {
    QMessageBox m(parent_);
    m.setText(QString::fromStdString(box.text));
    if (!box.informative.empty()) m.setInformativeText(QString::fromStdString(box.informative));
    m.setWindowTitle(box.title.empty() ? QApplication::applicationName()
                                       : QString::fromStdString(box.title));
    m.setIcon(iconFor(box.icon));
    const ButtonSet set = buttonsFor(box.buttons);
    for (std::size_t i = 0; i < set.buttons.size(); ++i) {
        QPushButton* b = m.addButton(set.buttons[i].first);
        if (static_cast<int>(i) == box.defaultButton) m.setDefaultButton(b);
    }
    m.exec();
    const auto clicked = m.standardButton(m.clickedButton());
    for (const auto& [button, result] : set.buttons)
        if (button == clicked) return result;
    return set.buttons.back().second;  // closed: the last (cancelling) choice
}

std::optional<std::string> QtDialogs::input(const std::string& prompt, const std::string& title,
                                            const std::string& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, QString::fromStdString(title),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(initial), &ok);
    if (!ok || text.isEmpty()) return std::nullopt;  // an empty answer is a cancel
    return text.toStdString();
}

std::optional<std::string> QtDialogs::openFile(const std::string& title, const std::string& folder,
                                               const std::vector<platform::FileFilter>& filters) {
    const QString f =
        QFileDialog::getOpenFileName(parent_, QString::fromStdString(title),
                                     QString::fromStdString(folder), filterText(filters));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const std::string& title,
                                               const std::string& suggested,
                                               const std::vector<platform::FileFilter>& filters) {
    const QString f =
        QFileDialog::getSaveFileName(parent_, QString::fromStdString(title),
                                     QString::fromStdString(suggested), filterText(filters));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<platform::FontChoice> QtDialogs::chooseFont(const platform::FontChoice& initial) {
    bool ok = false;
    QFont start(QString::fromStdString(initial.family),
                initial.pointSize > 0 ? initial.pointSize : 10);
    start.setBold(initial.bold);
    start.setItalic(initial.italic);
    const QFont f = QFontDialog::getFont(&ok, start, parent_);
    if (!ok) return std::nullopt;
    return platform::FontChoice{f.family().toStdString(), f.pointSize(), f.bold(), f.italic()};
}

}  // namespace app
