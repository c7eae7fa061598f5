#pragma once
// FProfilo: the profile form shown before a format. It draws provisioning::ModuloProfilo and
// hands the answers back; the rules of the lists and of OK live in provisioning.
#include <QDialog>
#include <string>

#include "provisioning/profile_wizard.h"

class QCheckBox;
class QLabel;
class QListWidget;

namespace app {

class FProfilo final : public QDialog {
    Q_OBJECT
public:
    FProfilo(std::string folder, QWidget* parent = nullptr);
    // Modal; true when OK was pressed (the profile is then written), false on Cancel.
    bool ShowForm(provisioning::CProfilo& profile, bool electric, bool soloLingua,
                  bool conOrologio);

private:
    provisioning::ModuloProfilo answers() const;
    void saveAs();

    std::string folder_;
    provisioning::ModuloProfilo modulo_;
    provisioning::CProfilo shown_;
    QListWidget* lstLinguaMain_;
    QListWidget* lstLinguaDue_;
    QLabel* lblFormatoOra_;
    QListWidget* lstFormatoOra_;
    QLabel* lblTipoElettrica_;
    QListWidget* lstTipoElettrica_;
    QCheckBox* opSoloCilindro_;
    QCheckBox* enStorico_;
    QCheckBox* opSenzaCylChip_;
};

}  // namespace app
