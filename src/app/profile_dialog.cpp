#include "app/profile_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "provisioning/profile_file.h"

namespace app {
namespace {

void fill(QListWidget* list, const std::vector<provisioning::VoceElenco>& entries, int selected) {
    list->clear();
    for (const auto& e : entries) list->addItem(QString::fromUtf8(e.testo.c_str()));
    list->setCurrentRow(selected);
    if (selected < 0) list->clearSelection();
}

int selectedRow(const QListWidget* list) {
    return list->selectedItems().isEmpty() ? -1 : list->currentRow();
}

}  // namespace

FProfilo::FProfilo(std::string folder, QWidget* parent)
    : QDialog(parent),
      folder_(std::move(folder)),
      lstLinguaMain_(new QListWidget(this)),
      lstLinguaDue_(new QListWidget(this)),
      lblFormatoOra_(new QLabel("Date format", this)),
      lstFormatoOra_(new QListWidget(this)),
      lblTipoElettrica_(new QLabel("Press model", this)),
      lstTipoElettrica_(new QListWidget(this)),
      opSoloCilindro_(new QCheckBox("Cylinder only", this)),
      enStorico_(new QCheckBox("History", this)),
      opSenzaCylChip_(new QCheckBox("No cylinder chip", this)) {
    setObjectName("FProfilo");
    setWindowTitle("Profile - " + QApplication::applicationName());
    lstLinguaMain_->setObjectName("lstLinguaMain");
    lstLinguaDue_->setObjectName("lstLinguaDue");
    lstFormatoOra_->setObjectName("lstFormatoOra");
    lstTipoElettrica_->setObjectName("lstTipoElettrica");
    opSoloCilindro_->setObjectName("opSoloCilindro");
    enStorico_->setObjectName("enStorico");
    opSenzaCylChip_->setObjectName("opSenzaCylChip");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Main language", this), 0, 0);
    grid->addWidget(new QLabel("Second language", this), 0, 1);
    grid->addWidget(lstLinguaMain_, 1, 0);
    grid->addWidget(lstLinguaDue_, 1, 1);
    grid->addWidget(lblFormatoOra_, 2, 0);
    grid->addWidget(lstFormatoOra_, 3, 0);
    grid->addWidget(enStorico_, 3, 1);
    grid->addWidget(lblTipoElettrica_, 4, 0);
    grid->addWidget(lstTipoElettrica_, 5, 0, 1, 2);
    grid->addWidget(opSoloCilindro_, 6, 0);
    grid->addWidget(opSenzaCylChip_, 6, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* save = buttons->addButton("Save as profile file...", QDialogButtonBox::ActionRole);
    save->setObjectName("cmdSalvaProfilo");
    connect(save, &QPushButton::clicked, this, &FProfilo::saveAs);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 7, 0, 1, 2);
}

bool FProfilo::ShowForm(provisioning::CProfilo& profile, bool electric, bool soloLingua,
                        bool conOrologio) {
    shown_ = profile;
    modulo_ = provisioning::apriModuloProfilo(profile, folder_, electric, soloLingua, conOrologio);
    fill(lstLinguaMain_, modulo_.lingue, modulo_.linguaMain);
    fill(lstLinguaDue_, modulo_.lingue, modulo_.linguaDue);
    lstFormatoOra_->clear();
    for (const auto& f : modulo_.formatiOra) lstFormatoOra_->addItem(QString::fromStdString(f));
    lstFormatoOra_->setCurrentRow(modulo_.formatoOra);
    lblFormatoOra_->setVisible(modulo_.formatoOraVisibile);
    lstFormatoOra_->setVisible(modulo_.formatoOraVisibile);
    fill(lstTipoElettrica_, modulo_.modelli, modulo_.modello);
    lblTipoElettrica_->setVisible(modulo_.modelliVisibili);
    lstTipoElettrica_->setVisible(modulo_.modelliVisibili);
    opSoloCilindro_->setVisible(modulo_.soloCilindroVisibile);
    opSoloCilindro_->setChecked(modulo_.soloCilindro);
    enStorico_->setVisible(modulo_.storicoVisibile);
    enStorico_->setChecked(modulo_.storico);
    opSenzaCylChip_->setVisible(modulo_.senzaCylChipVisibile);
    opSenzaCylChip_->setChecked(modulo_.senzaCylChip);
    if (exec() != QDialog::Accepted) return false;
    provisioning::confermaModuloProfilo(answers(), profile);
    return true;
}

provisioning::ModuloProfilo FProfilo::answers() const {
    provisioning::ModuloProfilo m = modulo_;
    m.linguaMain = selectedRow(lstLinguaMain_);
    m.linguaDue = selectedRow(lstLinguaDue_);
    m.formatoOra = selectedRow(lstFormatoOra_);
    m.modello = selectedRow(lstTipoElettrica_);
    m.soloCilindro = opSoloCilindro_->isChecked();
    m.storico = enStorico_->isChecked();
    m.senzaCylChip = opSenzaCylChip_->isChecked();
    return m;
}

void FProfilo::saveAs() {
    const QString path = QFileDialog::getSaveFileName(this, "Save as profile file", QString(),
                                                      "Profile files (*.ini)");
    if (path.isEmpty()) return;
    provisioning::CProfilo p = shown_;
    provisioning::confermaModuloProfilo(answers(), p);
    const std::string error = provisioning::scriviFileProfilo(p, path.toStdString());
    if (!error.empty()) QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
}

}  // namespace app
