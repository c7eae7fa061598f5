// FProfilo drawn with Qt: what it shows for an electric instrument with a clock, and what OK and
// Cancel write back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
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
            EXPECT_EQ(main->item(4)->text(), "Deutsch");
            EXPECT_EQ(main->currentRow(), 4);
            auto* models = dialog.findChild<QListWidget*>("lstTipoElettrica");
            EXPECT_TRUE(models->isVisible());
            EXPECT_EQ(models->count(), 25);
            EXPECT_EQ(models->currentRow(), 6);
            EXPECT_TRUE(dialog.findChild<QListWidget*>("lstFormatoOra")->isVisible());
            models->setCurrentRow(13);  // "Varnolide Q4 Showroom"
            dialog.findChild<QCheckBox*>("opSoloCilindro")->setChecked(true);
            dialog.findChild<QCheckBox*>("enStorico")->setChecked(true);
            dialog.findChild<QListWidget*>("lstFormatoOra")->setCurrentRow(1);
        },
        QDialogButtonBox::Ok);
    EXPECT_TRUE(dialog.ShowForm(p, true, false, true));
    EXPECT_EQ(p.Lingua1, provisioning::LTedesco);
    EXPECT_EQ(p.TipoElettroPressa, provisioning::PressaQ4_SHOWROOM);
    EXPECT_EQ(p.Destination, provisioning::CylinderAlone);
    EXPECT_EQ(p.FormatoOra, 1);
    EXPECT_EQ(p.NumeroLavoriStory, 3);
    EXPECT_EQ(p.MemoriaStory, 60000);
}

TEST(ProfileDialog, CancelWritesNothingAndOnlyLanguagesShowForAnOtherInstrument) {
    testing_support::ImageFolder folder("form2");
    folder.shipped();
    app::FProfilo dialog(folder.path());
    provisioning::CProfilo p;
    p.Lingua1 = provisioning::LCeco;
    whenShown(
        dialog,
        [&] {
            EXPECT_FALSE(dialog.findChild<QListWidget*>("lstTipoElettrica")->isVisible());
            EXPECT_FALSE(dialog.findChild<QCheckBox*>("opSenzaCylChip")->isVisible());
            EXPECT_FALSE(dialog.findChild<QCheckBox*>("enStorico")->isVisible());
            dialog.findChild<QListWidget*>("lstLinguaMain")->setCurrentRow(0);
        },
        QDialogButtonBox::Cancel);
    EXPECT_FALSE(dialog.ShowForm(p, false, true, true));
    EXPECT_EQ(p.Lingua1, provisioning::LCeco);
}

}  // namespace
