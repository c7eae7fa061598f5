#include "app/language_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cctype>
#include <filesystem>

#include "app/menu_model.h"
#include "link/instrument_description.h"
#include "platform/text_file.h"
#include "provisioning/profile_wizard.h"

namespace app {

bool languageAvailable(const std::string& folder, int index) {
    return provisioning::linguaDisponibile(folder, index);
}

FLingua::FLingua(const std::string& folder, QWidget* parent) : QDialog(parent), folder_(folder) {
    setObjectName("FLingua");
    setWindowTitle("H.W.K. - " + QApplication::applicationName());
}

int FLingua::ShowForm(const std::string& title, bool availability) {
    chosen_ = -1;
    delete layout();
    for (QObject* child : children())
        if (qobject_cast<QWidget*>(child)) delete child;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(title), this));
    const auto& table = languageTable();
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        auto* b = new QPushButton(QString::fromUtf8(table[static_cast<std::size_t>(i)].name), this);
        b->setEnabled(!availability || languageAvailable(folder_, i));
        connect(b, &QPushButton::clicked, this, [this, i] {
            chosen_ = i;
            accept();
        });
        layout->addWidget(b);
    }
    exec();
    return chosen_;
}

}  // namespace app
