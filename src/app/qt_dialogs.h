#pragma once
// The commands' boxes as Qt message boxes, input boxes and file and font dialogs.
#include <QWidget>

#include "platform/dialogs.h"

namespace app {

class QtDialogs final : public platform::Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    platform::MessageResult message(const platform::MessageBox& box) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<platform::FileFilter>& filters) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& suggested,
                                        const std::vector<platform::FileFilter>& filters) override;
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice& initial) override;

private:
    QWidget* parent_;
};

}  // namespace app
