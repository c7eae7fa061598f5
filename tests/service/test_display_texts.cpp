// The display-text menu commands and the font builder's picker, through the command host.
#include <gtest/gtest.h>

#include "../resources/resource_folder.h"
#include "resources/font_builder.h"
#include "service/core/menu_commands.h"
#include "service/texts/display_texts.h"
#include "service/texts/fonts.h"
#include "support/test_host.h"

using service::Outcome;
using Texts = std::vector<std::string>;
using testing_support::InstrumentRig;
using testing_support::RecordingDialogs;
using testing_support::ResourceFolder;
using testing_support::TestHost;

namespace {

const char* kTranslations[] = {"TradIta.txt", "TradIng.txt", "TradFra.txt", "TradSpa.txt"};

void writeTranslations(const ResourceFolder& f) {
    for (const char* name : kTranslations)
        f.write(name, {"0\t\"KRN\"", std::string("1\t\"") + name + "\""});
}

struct DisplayTextCommands : ::testing::Test {
    Outcome run(const char* entry) {
        return service::runCommand(host, service::menuCommands().at(entry));
    }
    InstrumentRig rig;
    ResourceFolder f;
    TestHost host{rig, f.str()};
};

// The first file that fails stops the import with its box; mended, all four are compiled and
// "Eseguito!" is said only after the fourth.
TEST_F(DisplayTextCommands, ImportAllStopsAtTheFirstFileThatFailsOrCompilesTheFour) {
    writeTranslations(f);
    f.write("TradIng.txt", {"0 \"KRN\"", "1 Force"});
    f.write("TradTed.txt", {"0 \"KRN\""});
    EXPECT_EQ(run("mnuImportaTradotti"), Outcome::FileError);
    EXPECT_EQ(host.boxes.texts(),
              Texts{"La linea 1\n1 Force\nnon ha il testo racchiuso tra virgolette (\")."});
    EXPECT_EQ(host.boxes.boxes[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_TRUE(f.exists("TestoIta.asm"));
    EXPECT_FALSE(f.exists("TestoIng.asm"));
    EXPECT_FALSE(f.exists("TestoFra.asm"));

    writeTranslations(f);
    host.boxes.boxes.clear();
    EXPECT_EQ(run("mnuImportaTradotti"), Outcome::Done);
    EXPECT_EQ(host.boxes.texts(), Texts{"Eseguito!"});
    EXPECT_EQ(host.boxes.boxes[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(f.read("TestoSpa.asm"), "0\t\"KRN\"\r\n1\t\"TradSpa.txt\"\r\n");
    EXPECT_FALSE(f.exists("TestoTed.asm"));
    EXPECT_FALSE(f.exists("TestoCec.asm"));
}

TEST_F(DisplayTextCommands, ImportOneFileAsksForTheFileAndTheLanguage) {
    f.write("mine.txt", {"0 \"KRN\"", "1001 \"Lavoro wwwwwww\""});
    host.boxes.files = {f.file("mine.txt")};
    host.languages = {3};
    EXPECT_EQ(run("mnuImportaTradotto"), Outcome::Done);
    EXPECT_EQ(host.boxes.fileTitles, Texts{"Traslated text file"});
    EXPECT_EQ(host.boxes.texts(), Texts{"Eseguito!"});
    EXPECT_EQ(f.read("MenuSpa.asm"),
              "\"Lavoro\"\t1\r\n2,0,0,1,1001\t\tLavoro \"NomeLavoro\"\t1\r\n");

    // No file, or no language: nothing happens.
    host.boxes.boxes.clear();
    EXPECT_EQ(run("mnuImportaTradotto"), Outcome::Cancelled);
    host.boxes.files = {f.file("mine.txt")};
    EXPECT_EQ(run("mnuImportaTradotto"), Outcome::Cancelled);
    EXPECT_TRUE(host.boxes.boxes.empty());
}

TEST_F(DisplayTextCommands, CreateTheTranslatorsFileAndTheMenuFormat) {
    f.write("TrasformaMenu.asm", {"1002 VALORE:7"});
    f.write("TradIta.txt", {"0 \"KRN\"", "1001 \"Copia wwwwwww\"", "1002 \"Forza\""});
    ASSERT_EQ(service::importTranslation(host, f.file("TradIta.txt"), 0, false), Outcome::Done);

    host.languages = {0, 0};
    host.boxes.files = {f.file("out.txt"), f.file("format.asm")};
    EXPECT_EQ(run("mnuCreaFileTraduzione"), Outcome::Done);
    EXPECT_EQ(run("mnuCreaFormatoMenu"), Outcome::Done);
    EXPECT_EQ(host.boxes.texts(), (Texts{"Eseguito!", "Eseguito!"}));
    EXPECT_EQ(host.boxes.suggestedFiles,
              (Texts{f.file("TradIta.txt"), f.file("TrasformaMenu.asm")}));
    EXPECT_EQ(f.read("out.txt"), "0\t\"KRN\"\r\n1001\t\"Copia wwwwwww\"\r\n1002\t\"Forza\"\r\n");
    EXPECT_EQ(f.read("format.asm"), "1002 VALORE:7\r\n");

    // A language without its files.
    host.boxes.boxes.clear();
    host.languages = {4};
    host.boxes.files = {f.file("out.txt")};
    EXPECT_EQ(run("mnuCreaFileTraduzione"), Outcome::FileError);
    EXPECT_EQ(host.boxes.texts(), Texts{"Impossibile leggere i file TestoTed.asm, MenuTed.asm\n" +
                                        host.programFolder()});
}

// A surface that refuses the first fonts it is given.
struct RefusingRenderer final : platform::GlyphRenderer {
    int refusals = 0;
    bool selectFont(const platform::FontChoice&) override { return refusals-- <= 0; }
    std::string actualFamily() const override { return "x"; }
    void clear(int, int) override {}
    void drawFrame(int, int, int, int) override {}
    void drawCharacter(int, int, unsigned char) override {}
    long colour(int, int) const override { return 0xFFFFFF; }
};

TEST(FontPicker, AFontThatCannotBeMadeAsksRiprovo) {
    using S = std::string;
    using Filters = std::vector<platform::FileFilter>;
    struct Picker : platform::Dialogs {
        std::deque<std::optional<platform::FontChoice>> fonts;
        RecordingDialogs boxes;
        platform::MessageResult message(const platform::MessageBox& b) override {
            return boxes.message(b);
        }
        std::optional<S> input(const S&, const S&, const S&) override { return {}; }
        std::optional<S> openFile(const S&, const S&, const Filters&) override { return {}; }
        std::optional<S> saveFile(const S&, const S&, const Filters&) override { return {}; }
        std::optional<platform::FontChoice> chooseFont(const platform::FontChoice&) override {
            auto f = fonts.front();
            fonts.pop_front();
            return f;
        }
    };
    const resources::FontSettings current{"Lucida Console", true, false, 8, 0, -3};
    const platform::FontChoice bad{"Bad", 8, false, false}, good{"Good", 9, false, true};
    struct Case {
        int refusals;
        std::deque<std::optional<platform::FontChoice>> fonts;
        std::deque<platform::MessageResult> answers;
        bool chosen;
        Texts boxes;
    };
    const Case cases[] = {
        {1, {bad, good}, {platform::MessageResult::Yes}, true, {"Riprovo?"}},
        {1, {bad}, {platform::MessageResult::No}, false, {"Riprovo?"}},
        {0, {std::nullopt}, {}, false, {}},  // the technician's cancel is no error: no question
    };
    for (const Case& c : cases) {
        Picker d;
        RefusingRenderer r;
        r.refusals = c.refusals;
        d.fonts = c.fonts;
        d.boxes.answers = c.answers;
        const auto chosen = service::pickFont(d, r, current);
        EXPECT_EQ(d.boxes.texts(), c.boxes);
        ASSERT_EQ(chosen.has_value(), c.chosen);
        if (chosen) {
            EXPECT_EQ(std::make_tuple(chosen->name, chosen->size, chosen->italic, chosen->yOffset),
                      std::make_tuple("Good", 9, true, -3));
        }
    }
}

TEST_F(DisplayTextCommands, TheFontBuilderEntryOpensTheDialog) {
    EXPECT_EQ(run("mnuCreaFont"), Outcome::Done);
    EXPECT_EQ(host.fontBuilders, 1);
}

}  // namespace
