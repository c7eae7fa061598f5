// The machine profile: the remembered values, the per-model constants and the profile file.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "platform/settings_store.h"
#include "provisioning/profile_file.h"
#include "provisioning/profilo.h"
#include "support/image_folder.h"

using namespace provisioning;

namespace {

constexpr const char* kApp = "krnsetup";

CProfilo modello(CylinderType t, DestinationType d = CompletePress) {
    CProfilo p;
    p.TipoElettroPressa = t;
    p.Destination = d;
    return p;
}

// Every line of the profile with its value, as the file and the form show them.
std::vector<std::string> righe(const CProfilo& p) {
    std::vector<std::string> out;
    for (const RigaProfilo& r : descriviProfilo(p)) out.push_back(r.nome + "=" + r.valore);
    return out;
}

}  // namespace

TEST(Profilo, CreationReadsTheFourRememberedValuesAndCutsTheHistoryJobsAt60) {
    for (const auto& [stored, expected] :
         {std::pair<const char*, int>{"75", 60}, {"0", 0}, {"60", 60}, {nullptr, 3}}) {
        platform::MemorySettingsStore store;
        if (stored) store.setValue(kApp, "Profilo0", "LavoriConStoria", stored);
        store.setValue(kApp, "Profilo0", "Lingua1", "4");
        const CProfilo p = caricaProfilo(store, kApp);
        EXPECT_EQ(std::tuple(p.NumeroLavoriStory, p.Lingua1, p.Lingua2, p.FormatoOra,
                             p.MemoriaStory, p.NomeStrumento),
                  std::tuple(expected, LTedesco, LInglese, 0, 60000, "KRNVisual"))
            << (stored ? stored : "absent");
    }
}

TEST(Profilo, DestructionWritesTheFourValuesBackAsDecimalTexts) {
    platform::MemorySettingsStore store;
    {
        ProfiloConservato kept(store, kApp);
        kept.profilo().Lingua1 = LCeco;
        kept.profilo().Lingua2 = LFrancese;
        kept.profilo().FormatoOra = 1;
        kept.profilo().NumeroLavoriStory = 0;
        kept.profilo().TipoElettroPressa = PressaQ7;  // not remembered
    }
    std::vector<std::string> stored;
    for (const char* key : {"Lingua1", "Lingua2", "FormatoOra", "LavoriConStoria"})
        stored.push_back(store.value(kApp, "Profilo0", key));
    EXPECT_EQ(stored, (std::vector<std::string>{"5", "2", "1", "0"}));
    EXPECT_EQ(caricaProfilo(store, kApp).TipoElettroPressa, NonElectric);
}

// One model of each group and speed band: the figures written into the image derive from these.
// Forces above 150000 N are shown in kN with one decimal, below 5500 N with one decimal.
TEST(Profilo, FiguresOfEachGroupOfModels) {
    // speed, gear5, passo, bassa, forza, corrente, corsa, inizio, acc, dec, grasso, kN, decimals
    using Row = std::tuple<int, int, int, std::int32_t, std::int32_t, int, int, int, float, float,
                           float, bool, int>;
    const std::pair<CylinderType, Row> rows[] = {
        {NonElectric, {250, 1, 10, 1000, 100, 2, 30, 20, 2.25f, 2.5f, 0, false, 1}},
        {PressaQ1, {100, 4, 10, 10000, 300000, 100, 420, 10, 0.8f, 0.8f, 0, true, 1}},
        {PressaQ2, {150, 6, 10, 10000, 200000, 100, 420, 10, 0.6f, 0.6f, 0, true, 1}},
        {PressaQ3, {100, 20, 5, 4000, 120000, 56, 250, 100, 0.9f, 1.0f, 35, false, 0}},
        {PressaQ5, {180, 3, 10, 4000, 70000, 56, 250, 100, 0.6f, 0.7f, 35, false, 0}},
        {PressaQ6, {200, 32, 10, 4000, 70000, 56, 250, 100, 0.5f, 0.6f, 35, false, 0}},
        {PressaQ8, {140, 18, 5, 5000, 25000, 12, 300, 50, 1.5f, 1.5f, 100, false, 0}},
        {PressaR1, {265, 1, 10, 1000, 5000, 15, 280, 50, 2.25f, 2.5f, -9.9f, false, 1}},
        {PressaW1, {160, 125, 5, 1000, 22000, 12, 280, 50, 2.25f, 2.5f, -7.0f, false, 0}},
        // Model 26 is electric with the figures of a non-electric machine.
        {PressaR1_CUSTG, {250, 1, 20, 1000, 100, 2, 30, 50, 2.25f, 2.5f, 0, false, 1}},
    };
    for (const auto& [t, row] : rows) {
        const CProfilo p = modello(t);
        EXPECT_EQ(Row(p.SpeedMaxMMSEC(), p.DenominatoreGear5(), p.PassoInMicron(), p.BassaForzaN(),
                      p.ForzaMassimaN(), p.CorrenteMotoreA(), p.CorsaUtile(), p.ForzaDiInizio(),
                      p.AccelerazioneMassima(), p.DecelerazioneMassima(), p.QuotaIngrassaggio(),
                      p.ForzaInChilonewton(), int{p.decimaliForza()}),
                  row)
            << t;
    }
}

// The showroom and customer models have photocells also as a cylinder alone (the other flags
// through the profile file: ProfileFile.WritesEveryFieldAndReadsItBack).
TEST(Profilo, PhotocellsOfTheShowroomModelsAndOfACompletePress) {
    EXPECT_EQ(std::tuple(modello(PressaR3_CUSTE, CylinderAlone).PressaStandardConFotoelettriche(),
                         modello(PressaQ8, CylinderAlone).PressaStandardConFotoelettriche(),
                         modello(PressaQ8).PressaStandardConFotoelettriche(),
                         modello(NonElectric).PressaStandardConFotoelettriche()),
              std::tuple(true, false, true, false));
}

TEST(ProfileFile, WritesEveryFieldAndReadsItBack) {
    const testing_support::ImageFolder folder("profile");
    const std::string path = folder.file("profile.ini");
    CProfilo p = modello(PressaQ4_CUSTA, CylinderAlone);
    p.Lingua1 = LSpagnolo;
    p.NomeStrumento = "Linea 7";
    p.NumeroCesti = 2;
    p.perVESSALINE = true;
    ASSERT_EQ(scriviFileProfilo(p, path), "");
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 40), "[Profilo]\r\nNomeStrumento=Linea 7\r\nLingua");
    EXPECT_NE(bytes.find("\r\nTipoElettroPressa=16\r\n"), std::string::npos);
    const ProfiloLetto back = leggiFileProfilo(path);
    ASSERT_TRUE(back.profilo) << back.errore;
    EXPECT_EQ(righe(*back.profilo), righe(p));
}

// Every line of the profile section is a key of the profile with a value in its range: a
// misspelt or doubled key would otherwise leave a field at its default without a word, and a
// format would provision the wrong machine. The refusal names the line.
TEST(ProfileFile, ALineThatIsNoKeyOrOutOfRangeIsRefusedWithItsLine) {
    const testing_support::ImageFolder folder("lines");
    const std::string path = folder.file("lines.ini");
    const std::pair<const char*, const char*> cases[] = {
        {"[Profilo]\r\nLingua1=2\r\nTipoElettroPresa=5\r\n",
         "line 3: \"TipoElettroPresa\" is not a key of a profile"},
        {"[Profilo]\r\nLingua1 = 2\r\n", "line 2: \"Lingua1 \" is not a key of a profile"},
        {"[Profilo]\r\n\r\nLingua1\r\n", "line 3: not \"Key=value\""},
        {"[Profilo]\r\nLingua1=2\r\nlingua1=3\r\n",
         "line 3: lingua1 is given twice (first on line 2)"},
        {"[Profilo]\r\nLingua1=1\r\n[Other]\r\n[profilo]\r\n",
         "line 4: a second [Profilo] section"},
        {"[Profilo]\r\nNumeroCesti=2\r\nNumeroRossi=9\r\n",
         "line 3: NumeroRossi must be a whole number from 0 to 3, not \"9\""},
        {"[Profilo]\r\nNomeStrumento="
         "12345678901234567890123456789012345678901234567890"
         "123456789012345\r\n",
         "line 2: NomeStrumento is longer than 64 characters"},
        {"[Profilo]\r\nTipoElettroPressa=27\r\n",
         "line 2: TipoElettroPressa must be a whole number from 0 to 26, not \"27\""},
        {"[Profilo]\r\nNumeroCesti=4\r\n",
         "line 2: NumeroCesti must be a whole number from 0 to 3, not \"4\""},
        {"[Profilo]\r\nLingua1=x\r\n",
         "line 2: Lingua1 must be a whole number from 0 to 5, not \"x\""},
        {"[Profilo]\r\nNumeroLavoriStory=2.5\r\n",
         "line 2: NumeroLavoriStory must be a whole number from 0 to 60, not \"2.5\""},
        {"[Profilo]\r\nNomeStrumento=AB\tC\r\n", "line 2: NomeStrumento holds a control character"},
    };
    for (const auto& [body, error] : cases) {
        std::ofstream(path, std::ios::binary) << body;
        const ProfiloLetto r = leggiFileProfilo(path);
        EXPECT_FALSE(r.profilo) << body;
        EXPECT_EQ(r.errore, "cannot read " + path + ": " + error);
    }
    // Comments, blank lines and other sections are allowed; absent keys keep their defaults.
    std::ofstream(path, std::ios::binary) << "; machine 7\r\n[Profilo]\r\n; line B\r\n\r\nlingua1=3"
                                             "\r\nTipoElettroPressa=7\r\n[Notes]\r\nfree text\r\n";
    const ProfiloLetto r = leggiFileProfilo(path);
    ASSERT_TRUE(r.profilo) << r.errore;
    EXPECT_EQ(std::tuple(r.profilo->Lingua1, r.profilo->TipoElettroPressa, r.profilo->NomeStrumento,
                         r.profilo->NumeroRossi),
              std::tuple(LSpagnolo, PressaQ7, "VARNOLIDE", 1));
    std::ofstream(path, std::ios::binary) << "[Other]\r\nLingua1=1\r\n";
    EXPECT_EQ(leggiFileProfilo(path).errore,
              path + " is not a profile file: it has no [Profilo] section");
    std::filesystem::remove(path);
    // A missing file, a device or a folder: the reason is what it is.
    for (const auto& [other, what] : {std::pair{path, "it does not exist"},
                                      {"/dev/null", "it is a device, not a file"},
                                      {"/tmp", "it is a folder, not a file"}})
        EXPECT_EQ(leggiFileProfilo(other).errore, "cannot read " + other + ": " + what);
}
