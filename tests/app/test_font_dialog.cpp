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
    const std::vector<std::uint8_t> blank(10, 0);
    EXPECT_EQ(std::tuple(resources::fontFileLines(wide).size(), wide[32], wide['H'] != blank),
              std::tuple(1230u, blank, true));
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

    dialog.findChild<QPushButton*>("cmdCrea")->click();
    const std::string file = f.read("Font8x10.asm");
    EXPECT_EQ(
        std::tuple(std::count(file.begin(), file.end(), '\n'), dialog.resultShown()),
        std::tuple(1230, QString::fromStdString(f.file("Font8x10.asm") + ": 123 characters")));

    // A font the system does not have: Qt substitutes one, and the dialog says which.
    dialog.setFormat(FontFormat::F6x6);
    EXPECT_TRUE(
        dialog.fontShown().startsWith("Font: No Such Font At All, 6 pt, bold  -  drawn with "))
        << dialog.fontShown().toStdString();
    dialog.findChild<QPushButton*>("cmdGiu")->click();

    dialog.findChild<QPushButton*>("cmdChiudi")->click();
    std::vector<std::string> saved;
    for (const char* key : {"FontYoffset8x10", "FontXoffset8x10", "FontYoffset6x6", "FontSize8x11"})
        saved.push_back(host.store.value("krnsetup", "Preferenze", key));
    EXPECT_EQ(saved, (std::vector<std::string>{"-4", "2", "-1", "8"}));
}

}  // namespace
