// The profile selection, the profile form's logic and the customer question flow, driven
// through recorded dialogs.
#include <gtest/gtest.h>

#include <tuple>

#include "provisioning/profile_wizard.h"
#include "support/image_folder.h"
#include "support/recording_dialogs.h"

using namespace provisioning;
using platform::MessageResult;
using testing_support::RecordingDialogs;

TEST(SelectProfile, TheSupportedVersionWindowDecidesBetweenTheFormAndTheRefusal) {
    using instrument::errPR_OK, instrument::errPR_VerInstrument;
    // protocol, extensions, result, what was shown: "form", "language" or ""
    using Case = std::tuple<std::int16_t, std::int16_t, instrument::ErrPR, std::string>;
    const Case cases[] = {{39, 1053, errPR_OK, "form"},  {38, 1053, errPR_VerInstrument, ""},
                          {36, 53, errPR_OK, "form"},    {36, 54, errPR_VerInstrument, ""},
                          {41, 1064, errPR_OK, "form"},  {41, 1065, errPR_VerInstrument, ""},
                          {9, 10, errPR_OK, "language"}, {3, 1, errPR_OK, "language"}};
    for (const auto& [protocol, extensions, result, expectedShown] : cases) {
        std::string shown;
        const auto form = [&](CProfilo& p, bool electric, bool solo, bool clock) {
            shown = "form";
            EXPECT_EQ(std::tuple(electric, solo, clock, p.TipoElettroPressa, p.NomeStrumento),
                      std::tuple(true, false, true, PressaQ7, "KRN 1"));
            return true;
        };
        const auto language = [&]() -> std::optional<int> {
            shown = "language";
            return LTedesco;
        };
        CProfilo p;
        bool selected = true;
        EXPECT_EQ(
            SelectProfile(p, "KRN 1", {protocol, extensions, true, true, form, language}, selected),
            result);
        const int lingua = expectedShown == "language" ? LTedesco : LItaliano;
        EXPECT_EQ(std::tuple(shown, selected, p.Lingua1, p.NumeroLavoriStory, p.MemoriaStory),
                  std::tuple(expectedShown, !expectedShown.empty(), lingua, 0, 0))
            << protocol << "/" << extensions;
    }
}

TEST(ProfileForm, ALanguageIsOfferedOnlyWithEntries0To4InOrder) {
    testing_support::ImageFolder f("langs");
    f.write("TestoIta.asm",
            {"-1\t\"x\"", "0\t\"a\"", "1\t\"b\"", "2\t\"c\"", "3\t\"d\"", "4\t\"e\""});
    f.write("TestoIng.asm", {"0\t\"a\"", "1\t\"b\"", "3\t\"d\"", "4\t\"e\""});
    f.write("TestoCec.asm", {"0\t\"a\"", "1\t\"b\"", "2\t\"c\"", "3\t\"d\"", "4\t\"e\""});
    CProfilo p;
    p.Lingua1 = LCeco;
    p.Lingua2 = LInglese;
    const ModuloProfilo m = apriModuloProfilo(p, f.path(), true, false, false);
    ASSERT_EQ(m.lingue.size(), 2u);
    EXPECT_EQ(std::tuple(m.lingue[0].testo, m.lingue[1].valore, m.linguaMain, m.linguaDue),
              std::tuple("Italiano", LCeco, 1, -1));
    EXPECT_FALSE(m.formatoOraVisibile || m.storicoVisibile);
    EXPECT_TRUE(m.modelliVisibili && m.soloCilindroVisibile && m.senzaCylChipVisibile);
}

// A folder without language files gives empty language lists, and OK stores English for both.
TEST(ProfileForm, TheModelListSkipsValue14AndAHiddenListWritesQ4) {
    for (const VoceElenco& v : elencoModelli()) EXPECT_NE(v.valore, 14);

    testing_support::ImageFolder f("hidden");  // no language files
    CProfilo p;
    p.Destination = CylinderAlone;
    p.NonUsareCylChip = true;
    p.NumeroLavoriStory = 2;
    p.Lingua1 = LTedesco, p.Lingua2 = LCeco;
    ModuloProfilo m = apriModuloProfilo(p, f.path(), false, false, true);
    EXPECT_EQ(std::tuple(m.modelliVisibili, m.modello, m.storico, m.lingue.empty()),
              std::tuple(false, -1, true, true));
    confermaModuloProfilo(m, p);
    EXPECT_EQ(std::tuple(p.TipoElettroPressa, p.Destination, p.NonUsareCylChip, p.NumeroLavoriStory,
                         p.MemoriaStory, p.Lingua1, p.Lingua2),
              std::tuple(PressaQ4, CylinderAlone, true, 3, 60000, LInglese, LInglese));

    p.TipoElettroPressa = PressaR2_CUSTD;
    m = apriModuloProfilo(p, f.path(), true, false, true);
    EXPECT_EQ(m.modello, 23);
    m.soloCilindro = false;
    m.senzaCylChip = false;
    m.storico = false;
    confermaModuloProfilo(m, p);
    EXPECT_EQ(std::tuple(p.TipoElettroPressa, p.Destination, p.NonUsareCylChip, p.NumeroLavoriStory,
                         p.MemoriaStory),
              std::tuple(PressaR2_CUSTD, CompletePress, false, 0, 0));
}

TEST(CustomerFlow, VessalineWithReturnLeverNeverAsksForTheTable) {
    RecordingDialogs d;
    d.answers = {MessageResult::Yes, MessageResult::Yes, MessageResult::No,
                 MessageResult::Yes, MessageResult::Yes, MessageResult::No};
    d.inputs = {"3", "1", "   ", "  Line 4  "};  // a blank name is asked again
    CProfilo p;
    EXPECT_TRUE(SetupProfileLumbro(p, d, "KRN"));
    const std::string name = "Input the new instrument name";
    EXPECT_EQ(d.prompts, (std::vector<std::string>{"Insert number of red box for pieces",
                                                   "Insert number of red light", name, name}));
    EXPECT_EQ(d.texts(),
              (std::vector<std::string>{
                  "Is it a Vessaline press?", "Is there the valve for enabling return of lever?",
                  "Is there the 3 position key for maintenace?",
                  "Is there the valve for opening good pieces basket?",
                  "Is there the round 7 pins connector for extra test 1 (METRO) connection?",
                  "Is there the valve for extra test 1 (METRO)?"}));
    // The basket valve preselects No.
    EXPECT_EQ(std::tuple(d.boxes[1].defaultButton, d.boxes[3].defaultButton), std::tuple(0, 1));
    EXPECT_TRUE(p.perVESSALINE && p.ConValvolaRitornoLeva && p.ConValvolaAperturaBuoni &&
                p.ConSensoreCestoPronto && p.ConIngressiMetro);
    EXPECT_FALSE(p.ConValvolaSlitta || p.ConChiaveManutenzione || p.ConUscitaMetro ||
                 p.perMECCANICA);
    EXPECT_EQ(
        std::tuple(p.NumeroCesti, p.NumeroRossi, p.NomeStrumento, p.Destination, p.ConNomiLumbro),
        std::tuple(3, 1, "Line 4", Lumbro, true));
}

TEST(CustomerFlow, WrongNumbersAreAskedAgainAndAnEmptyAnswerCancelsToTheFinalStep) {
    RecordingDialogs d;
    d.answers = {MessageResult::No, MessageResult::Yes, MessageResult::No, MessageResult::No};
    d.inputs = {"4", "-1", "ab", "2", ""};
    CProfilo p;
    p.Lingua1 = LCeco;
    p.NumeroLavoriStory = 0;
    EXPECT_FALSE(SetupProfileLumbro(p, d, "KRN"));
    EXPECT_EQ(d.prompts,
              (std::vector<std::string>{
                  "Insert number of red box for pieces", "Insert number of red box for pieces",
                  "Insert number of red box for pieces", "Insert number of red box for pieces",
                  "Insert number of red light"}));
    EXPECT_EQ(d.texts()[1], "Is it a Tovrick press?");
    // The name was never asked; the final step sets the languages, the history and the clock.
    EXPECT_EQ(std::tuple(p.perMECCANICA, p.NumeroCesti, p.NomeStrumento, p.Lingua1, p.Lingua2,
                         p.NumeroLavoriStory, p.MemoriaStory, p.FormatoOra),
              std::tuple(true, 2, "KRNVisual", LFrancese, LInglese, 3, 60000, 0));
}

TEST(CustomerFlow, CancelAtTheFirstQuestionStillSetsTheCustomerMachineAndTheFinalStep) {
    RecordingDialogs d;
    d.answers = {MessageResult::Cancel};
    CProfilo p;
    EXPECT_FALSE(SetupProfileLumbro(p, d, "KRN"));
    EXPECT_EQ(std::tuple(d.boxes.size(), d.prompts.size()), std::tuple(1u, 0u));
    EXPECT_EQ(std::tuple(p.Destination, p.ConNomiLumbro, p.perVESSALINE, p.Lingua1),
              std::tuple(Lumbro, true, false, LFrancese));
}
