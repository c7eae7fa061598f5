// The machine profile: the remembered values, Inizializza, the per-model constants and the
// profile file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/settings_store.h"
#include "provisioning/profile_file.h"
#include "provisioning/profilo.h"

using namespace provisioning;

namespace {

constexpr const char* kApp = "krnsetup";

CProfilo modello(CylinderType t, DestinationType d = CompletePress) {
    CProfilo p;
    p.TipoElettroPressa = t;
    p.Destination = d;
    return p;
}

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("krn_prov_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

}  // namespace

TEST(Profilo, CreationReadsTheFourRememberedValuesAndCutsTheHistoryJobsAt60) {
    struct Case {
        const char* stored;
        std::int16_t expected;
    };
    for (const Case c : {Case{"75", 60}, Case{"0", 0}, Case{"60", 60}, Case{nullptr, 3}}) {
        platform::MemorySettingsStore store;
        if (c.stored) store.setValue(kApp, "Profilo0", "LavoriConStoria", c.stored);
        store.setValue(kApp, "Profilo0", "Lingua1", "4");
        const CProfilo p = caricaProfilo(store, kApp);
        EXPECT_EQ(p.NumeroLavoriStory, c.expected) << (c.stored ? c.stored : "absent");
        EXPECT_EQ(p.Lingua1, LTedesco);
        EXPECT_EQ(p.Lingua2, LInglese);
        EXPECT_EQ(p.FormatoOra, 0);
        EXPECT_EQ(p.MemoriaStory, 60000);
        EXPECT_EQ(p.NomeStrumento, "KRNVisual");
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
    EXPECT_EQ(store.value(kApp, "Profilo0", "Lingua1"), "5");
    EXPECT_EQ(store.value(kApp, "Profilo0", "Lingua2"), "2");
    EXPECT_EQ(store.value(kApp, "Profilo0", "FormatoOra"), "1");
    EXPECT_EQ(store.value(kApp, "Profilo0", "LavoriConStoria"), "0");
    EXPECT_EQ(caricaProfilo(store, kApp).TipoElettroPressa, NonElectric);
}

TEST(Profilo, InizializzaResetsEveryField) {
    CProfilo p = modello(PressaR2, Lumbro);
    p.Lingua1 = LCeco;
    p.NumeroLavoriStory = 9;
    p.MemoriaStory = 5;
    p.NumeroCesti = 3;
    p.NumeroRossi = 3;
    p.NonUsareCylChip = p.ConNomiLumbro = p.perMECCANICA = p.ConUscitaMetro = true;
    p.Inizializza();
    EXPECT_EQ(p.Lingua1, LItaliano);
    EXPECT_EQ(p.Lingua2, LInglese);
    EXPECT_EQ(p.NumeroLavoriStory, 0);
    EXPECT_EQ(p.MemoriaStory, 60000);
    EXPECT_EQ(p.NomeStrumento, "VARNOLIDE");
    EXPECT_EQ(p.Destination, CompletePress);
    EXPECT_EQ(p.TipoElettroPressa, NonElectric);
    EXPECT_EQ(p.NumeroCesti, 0);
    EXPECT_EQ(p.NumeroRossi, 1);
    EXPECT_FALSE(p.NonUsareCylChip || p.ConNomiLumbro || p.perMECCANICA || p.ConUscitaMetro);
}

TEST(Profilo, TablesOfEveryModel) {
    struct Row {
        CylinderType t;
        int speed, gear5, passo;
        std::int32_t bassa, forza;
        int corrente, corsa, inizio;
        float acc, dec, grasso;
    };
    const Row rows[] = {
        {NonElectric, 250, 1, 10, 1000, 100, 2, 30, 20, 2.25f, 2.5f, 0},
        {PressaQ1, 100, 4, 10, 10000, 300000, 100, 420, 10, 0.8f, 0.8f, 0},
        {PressaQ2, 150, 6, 10, 10000, 200000, 100, 420, 10, 0.6f, 0.6f, 0},
        {PressaQ3, 100, 20, 5, 4000, 120000, 56, 250, 100, 0.9f, 1.0f, 35},
        {PressaQ4_CUSTB, 100, 20, 5, 4000, 100000, 56, 250, 100, 0.9f, 1.0f, 35},
        {PressaQ5, 180, 3, 10, 4000, 70000, 56, 250, 100, 0.6f, 0.7f, 35},
        {PressaQ6, 200, 32, 10, 4000, 70000, 56, 250, 100, 0.5f, 0.6f, 35},
        {PressaQ7_CUSTC, 250, 1, 10, 4000, 50000, 56, 250, 100, 0.5f, 0.6f, 35},
        {PressaQ8, 140, 18, 5, 5000, 25000, 12, 300, 50, 1.5f, 1.5f, 100},
        {PressaQ9, 160, 22, 5, 5000, 25000, 12, 300, 50, 1.5f, 1.5f, 100},
        {PressaQ10, 220, 26, 10, 5000, 15000, 12, 300, 50, 1.5f, 1.5f, 100},
        {PressaR1, 265, 1, 10, 1000, 5000, 15, 280, 50, 2.25f, 2.5f, -9.9f},
        {PressaR2_CUSTD, 265, 1, 10, 1000, 2000, 6, 80, 50, 2.25f, 2.5f, -9.9f},
        {PressaR3_CUSTE, 265, 1, 10, 1000, 1000, 6, 180, 50, 2.25f, 2.5f, -9.9f},
        {PressaW1, 160, 125, 5, 1000, 22000, 12, 280, 50, 2.25f, 2.5f, -7.0f},
        {PressaR2_CUSTC, 265, 1, 10, 1000, 300, 9, 220, 50, 2.25f, 2.5f, 0},
        {PressaR1_CUSTG, 250, 1, 20, 1000, 100, 2, 30, 50, 2.25f, 2.5f, 0},
    };
    for (const Row& r : rows) {
        const CProfilo p = modello(r.t);
        SCOPED_TRACE(r.t);
        EXPECT_EQ(p.SpeedMaxMMSEC(), r.speed);
        EXPECT_EQ(p.DenominatoreGear5(), r.gear5);
        EXPECT_EQ(p.PassoInMicron(), r.passo);
        EXPECT_EQ(p.BassaForzaN(), r.bassa);
        EXPECT_EQ(p.ForzaMassimaN(), r.forza);
        EXPECT_EQ(p.CorrenteMotoreA(), r.corrente);
        EXPECT_EQ(p.CorsaUtile(), r.corsa);
        EXPECT_EQ(p.ForzaDiInizio(), r.inizio);
        EXPECT_FLOAT_EQ(p.AccelerazioneMassima(), r.acc);
        EXPECT_FLOAT_EQ(p.DecelerazioneMassima(), r.dec);
        EXPECT_FLOAT_EQ(p.QuotaIngrassaggio(), r.grasso);
    }
}

TEST(Profilo, Model26IsElectricWithTheDefaultsOfANonElectricMachine) {
    const CProfilo p = modello(PressaR1_CUSTG);
    EXPECT_TRUE(p.Electric());
    EXPECT_EQ(p.ForzaDiInizio(), 50);
    EXPECT_EQ(p.SpeedMaxMMSEC(), 250);
    EXPECT_EQ(p.ForzaMassimaN(), 100);
    EXPECT_EQ(p.CorrenteMotoreA(), 2);
    EXPECT_EQ(p.CorsaUtile(), 30);
    EXPECT_FALSE(p.SensoreTemperatura() || p.ConCylChip());
}

TEST(Profilo, PhotocellsAndEncoderFlags) {
    EXPECT_TRUE(modello(PressaR3_CUSTE, CylinderAlone).PressaStandardConFotoelettriche());
    EXPECT_FALSE(modello(NonElectric, CompletePress).PressaStandardConFotoelettriche());
    EXPECT_TRUE(modello(PressaQ8, CompletePress).PressaStandardConFotoelettriche());
    EXPECT_FALSE(modello(PressaQ8, CylinderAlone).PressaStandardConFotoelettriche());
    for (int t = 0; t <= kUltimoModello; ++t) {
        const CProfilo p = modello(static_cast<CylinderType>(t));
        EXPECT_EQ(p.EncoderDiv91(), t == 4 || t == 15 || t == 16 || t == 17) << t;
        EXPECT_EQ(p.EncoderDiv189(), t == 1 || t == 5) << t;
        EXPECT_EQ(p.EncoderDiv32(), t == 20) << t;
        EXPECT_EQ(p.SensoreTemperatura(), (t >= 1 && t <= 11) || (t >= 15 && t <= 19)) << t;
    }
}

TEST(Profilo, ForceDecimalsAndKilonewtons) {
    for (int t = 0; t <= kUltimoModello; ++t) {
        const CProfilo p = modello(static_cast<CylinderType>(t));
        const bool kn = t == 1 || t == 2;
        EXPECT_EQ(p.ForzaInChilonewton(), kn) << t;
        EXPECT_EQ(p.decimaliForza(), kn || p.ForzaMassimaN() < 5500 ? 1 : 0) << t;
    }
    EXPECT_EQ(modello(PressaR1).decimaliForza(), 1);   // 5000 N
    EXPECT_EQ(modello(PressaQ11).decimaliForza(), 0);  // 10000 N
}

TEST(ProfileFile, WritesEveryFieldAndReadsItBack) {
    const std::string path = tempPath("profile.ini");
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
    EXPECT_EQ(descriviProfilo(*back.profilo).size(), descriviProfilo(p).size());
    for (std::size_t i = 0; i < descriviProfilo(p).size(); ++i)
        EXPECT_EQ(descriviProfilo(*back.profilo)[i].valore, descriviProfilo(p)[i].valore)
            << descriviProfilo(p)[i].nome;
    std::filesystem::remove(path);
}

// Every line of the profile section is a key of the profile: a misspelt or doubled key would
// otherwise leave a field at its default without a word, and a format would provision the
// wrong machine. The refusal names the line.
TEST(ProfileFile, ALineThatIsNoKeyOfTheProfileIsRefusedWithItsLine) {
    const std::string path = tempPath("lines.ini");
    struct Case {
        const char* body;
        const char* error;  // after "cannot read PATH: "; "" = accepted
    };
    const Case cases[] = {
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
        {"; machine 7\r\n[Profilo]\r\n; line B\r\n\r\nlingua1=3\r\n[Notes]\r\nfree text\r\n", ""},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary) << c.body;
        const ProfiloLetto r = leggiFileProfilo(path);
        if (*c.error == 0) {
            ASSERT_TRUE(r.profilo) << r.errore;
            EXPECT_EQ(r.profilo->Lingua1, LSpagnolo);
        } else {
            EXPECT_FALSE(r.profilo) << c.body;
            EXPECT_EQ(r.errore, "cannot read " + path + ": " + c.error);
        }
    }
    std::filesystem::remove(path);
}

TEST(ProfileFile, RefusesValuesOutsideTheirRangeAndKeepsDefaultsForAbsentKeys) {
    const std::string path = tempPath("bad.ini");
    struct Case {
        const char* body;
        const char* error;  // "" = accepted
    };
    const Case cases[] = {
        {"[Profilo]\r\nTipoElettroPressa=7\r\n", ""},
        {"[Profilo]\r\nTipoElettroPressa=27\r\n",
         "TipoElettroPressa must be a whole number from 0 to 26, not \"27\""},
        {"[Profilo]\r\nNumeroCesti=4\r\n", "NumeroCesti must be a whole number from 0 to 3"},
        {"[Profilo]\r\nLingua1=x\r\n", "Lingua1 must be a whole number"},
        {"[Profilo]\r\nNumeroLavoriStory=2.5\r\n", "NumeroLavoriStory must be"},
        {"[Other]\r\nLingua1=1\r\n", "has no [Profilo] section"},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary) << c.body;
        const ProfiloLetto r = leggiFileProfilo(path);
        if (*c.error == 0) {
            ASSERT_TRUE(r.profilo) << r.errore;
            EXPECT_EQ(r.profilo->TipoElettroPressa, PressaQ7);
            EXPECT_EQ(r.profilo->NomeStrumento, "VARNOLIDE");
            EXPECT_EQ(r.profilo->NumeroRossi, 1);
        } else {
            EXPECT_FALSE(r.profilo) << c.body;
            EXPECT_NE(r.errore.find(c.error), std::string::npos) << r.errore;
        }
    }
    std::filesystem::remove(path);
    EXPECT_NE(leggiFileProfilo(path).errore.find("it does not exist"), std::string::npos);
    // A device or a folder exists: the reason is what it is.
    for (const auto& [other, what] : {std::pair{"/dev/null", "a device"}, {"/tmp", "a folder"}})
        EXPECT_EQ(leggiFileProfilo(other).errore,
                  std::string("cannot read ") + other + ": it is " + what + ", not a file");
}
