#pragma once
// FLingua: one button per language; with the availability flag only the languages whose
// display-text file is in the program folder and complete.
#include <QDialog>
#include <string>

namespace app {

// The language's display-text file opens and holds the numbered entries 0..4 in that order.
bool languageAvailable(const std::string& folder, int index);

class FLingua final : public QDialog {
    Q_OBJECT
public:
    FLingua(const std::string& folder, QWidget* parent = nullptr);
    // The chosen index, or -1 when the dialog was closed without a choice.
    int ShowForm(const std::string& title, bool availability);

private:
    std::string folder_;
    int chosen_ = -1;
};

}  // namespace app
