// FProfilo drawn with Qt: what it shows for an electric instrument with a clock, and what OK
// writes back (Cancel: GuiFlow.TheFormatOpensTheProfileFormAndItsCancelEndsTheCommand).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "app/profile_dialog.h"
#include "support/image_folder.h"

namespace {

// Runs `act` once the dialog is shown, then presses the button.
void whenShown(app::FProfilo& dialog, std::function<void()> act,
               QDialogButtonBox::StandardButton button) {
    QTimer::singleShot(0, &dialog, [&dialog, act, button] {
        act();
        dialog.findChild<QDialogButtonBox*>()->button(button)->click();
    });
}

TEST(ProfileDialog, ShowsTheAvailableLanguagesAndTheModelAndOkWritesTheAnswers) {
    testing_support::ImageFolder folder("form");
    folder.shipped();
    app::FProfilo dialog(folder.path());
    provisioning::CProfilo p;
    p.Lingua1 = provisioning::LTedesco;
    p.Lingua2 = provisioning::LInglese;
    p.TipoElettroPressa = provisioning::PressaQ7;
    whenShown(
        dialog,
        [&] {
            auto* main = dialog.findChild<QListWidget*>("lstLinguaMain");
            ASSERT_EQ(main->count(), 6);
            auto* models = dialog.findChild<QListWidget*>("lstTipoElettrica");
            EXPECT_EQ(std::tuple(main->item(4)->text(), main->currentRow(), models->isVisible(),
                                 models->count(), models->currentRow(),
                                 dialog.findChild<QListWidget*>("lstFormatoOra")->isVisible()),
                      std::tuple("Deutsch", 4, true, 25, 6, true));
            models->setCurrentRow(13);  // "Varnolide Q4 Showroom"
            dialog.findChild<QCheckBox*>("opSoloCilindro")->setChecked(true);
            dialog.findChild<QCheckBox*>("enStorico")->setChecked(true);
            dialog.findChild<QListWidget*>("lstFormatoOra")->setCurrentRow(1);
        },
        QDialogButtonBox::Ok);
    EXPECT_TRUE(dialog.ShowForm(p, true, false, true));
    EXPECT_EQ(std::tuple(p.Lingua1, p.TipoElettroPressa, p.Destination, p.FormatoOra,
                         p.NumeroLavoriStory, p.MemoriaStory),
              std::tuple(provisioning::LTedesco, provisioning::PressaQ4_SHOWROOM,
                         provisioning::CylinderAlone, 1, 3, 60000));
}

}  // namespace
