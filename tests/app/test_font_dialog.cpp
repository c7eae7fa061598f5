// The font builder drawn with Qt: the shipped font's file line counts, the dialog's arrows,
// create button, font shown and "&Chiudi" saving the preferences.
#include <gtest/gtest.h>

#include <QPushButton>
#include <algorithm>

#include "../resources/resource_folder.h"
#include "app/font_dialog.h"
#include "platform/qt/qt_glyph_renderer.h"
#include "resources/font_builder.h"
#include "support/test_host.h"

using resources::FontFormat;
using testing_support::InstrumentRig;
using testing_support::ResourceFolder;
using testing_support::TestHost;

namespace {

const resources::FontSettings kShipped{"DejaVu Sans Mono", true, false, 7, 0, -1};

TEST(QtFontBuilder, RendersFilesWithTheExactLineCount) {
    platform::qt::QtGlyphRenderer r;
    ASSERT_TRUE(r.selectFont(resources::fontChoice(kShipped)));
    EXPECT_EQ(r.actualFamily(), "DejaVu Sans Mono");
    const auto wide = resources::buildFont(r, FontFormat::F8x10, kShipped);
    EXPECT_EQ(resources::fontFileLines(wide).size(), 1230u);
    EXPECT_EQ(wide[32], std::vector<std::uint8_t>(10, 0));  // the blank
    EXPECT_NE(wide['H'], std::vector<std::uint8_t>(10, 0));
    const auto digits =
        resources::buildFont(r, FontFormat::F6x6, {"DejaVu Sans Mono", true, false, 5, 0, -1});
    EXPECT_EQ(resources::fontFileLines(digits).size(), 72u);
    EXPECT_FALSE(r.selectFont({"", 8, false, false}));
}

TEST(FontDialog, ArrowsCreateAndChiudi) {
    InstrumentRig rig;
    ResourceFolder f;
    TestHost host(rig, f.str());
    host.store.setValue("krnsetup", "Preferenze", "FontName8x10", "DejaVu Sans Mono");
    host.store.setValue("krnsetup", "Preferenze", "FontName6x6", "No Such Font At All");
    app::FCreaFontKRNV dialog(host);
    EXPECT_EQ(dialog.format(), FontFormat::F8x10);
    EXPECT_EQ(dialog.fontShown(), "Font: DejaVu Sans Mono, 8 pt, bold");

    dialog.findChild<QPushButton*>("cmdSu")->click();
    dialog.findChild<QPushButton*>("cmdDestra")->click();
    dialog.findChild<QPushButton*>("cmdDestra")->click();
    EXPECT_EQ(dialog.current().yOffset, -4);
    EXPECT_EQ(dialog.current().xOffset, 2);

    dialog.findChild<QPushButton*>("cmdCrea")->click();
    const std::string file = f.read("Font8x10.asm");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 1230);
    EXPECT_EQ(dialog.resultShown(),
              QString::fromStdString(f.file("Font8x10.asm") + ": 123 characters"));

    // A font the system does not have: Qt substitutes one, and the dialog says which.
    dialog.setFormat(FontFormat::F6x6);
    EXPECT_TRUE(
        dialog.fontShown().startsWith("Font: No Such Font At All, 6 pt, bold  -  drawn with "))
        << dialog.fontShown().toStdString();
    dialog.findChild<QPushButton*>("cmdGiu")->click();

    dialog.findChild<QPushButton*>("cmdChiudi")->click();
    EXPECT_EQ(host.store.value("krnsetup", "Preferenze", "FontYoffset8x10"), "-4");
    EXPECT_EQ(host.store.value("krnsetup", "Preferenze", "FontXoffset8x10"), "2");
    EXPECT_EQ(host.store.value("krnsetup", "Preferenze", "FontYoffset6x6"), "-1");
    EXPECT_EQ(host.store.value("krnsetup", "Preferenze", "FontSize8x11"), "8");
}

}  // namespace
