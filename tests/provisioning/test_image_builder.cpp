// The NVRAM image builder: the version pairs, the configuration anchors, texts, menus, icons,
// the memory partition and the progress figures.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/dialogs.h"
#include "provisioning/configuration_part.h"
#include "provisioning/display_data.h"
#include "provisioning/icons.h"
#include "provisioning/image_builder.h"
#include "provisioning/profile_file.h"
#include "support/image_folder.h"

using namespace provisioning;
using testing_support::ImageFolder;

namespace {

struct RecordingProgress final : platform::Progress {
    void start(long total) override { events.push_back("start " + std::to_string(total)); }
    bool update(long done) override {
        events.push_back(std::to_string(done));
        return done != cancelAt;
    }
    void stop(bool ok) override { events.push_back(ok ? "stop ok" : "stop failed"); }
    std::vector<std::string> events;
    long cancelAt = -1;
};

ParametriImmagine versione(std::int16_t p, std::int16_t e, bool elettrica = false) {
    ParametriImmagine v;
    v.protocollo = p;
    v.estensioni = e;
    v.elettrica = elettrica;
    v.versione = 2.5f;
    v.memorySize = 512768;
    return v;
}

CProfilo profiloBase(CylinderType t = NonElectric) {
    CProfilo p;
    p.Inizializza();
    p.Lingua1 = LInglese;
    p.Lingua2 = LItaliano;
    p.TipoElettroPressa = t;
    p.NumeroLavoriStory = 3;
    return p;
}

// The byte at an NVRAM address.
int at(const Immagine& im, std::int32_t address) {
    return im.byte.at(static_cast<std::size_t>(address - 46));
}
std::string counted(const Immagine& im, std::int32_t address) {
    const int n = at(im, address);
    std::string s;
    for (int i = 1; i <= n; ++i) s += static_cast<char>(at(im, address + i));
    return s;
}
int word(const Immagine& im, std::int32_t address) {
    return at(im, address) + 256 * at(im, address + 1);
}

// A synthetic folder: two languages with a few texts, a small menu file and one-line fonts.
void synthetic(ImageFolder& f, const std::vector<std::string>& italianTexts) {
    f.write("TestoIta.asm", italianTexts);
    f.write("TestoIng.asm", {"-1\t\"PRODUCT\"", "0\t\"NAME\"", "1\t\"Force\"", "2\t\"Pos\""});
    const std::vector<std::string> menu = {
        "\"Job\"\t1",       "\"Phase\"\t2",
        "\"Start\"\t3",     "2,0,0,1,1001\t\tJob \"NomeLavoro\"\t2",
        "3,2,174,2,3,1008", "",
        "1,0,159,3",        "2,0,12,1000,1015,3",
    };
    f.write("MenuIta.asm", menu);
    f.write("MenuIng.asm", menu);
    f.write("Font8x10.asm", {"1", "", " 2 ", "3"});
    f.write("Font6x6.asm", {"4", "5"});
}

}  // namespace

TEST(ImageBuilder, OnlyTheListedVersionPairsAreBuilt) {
    ImageFolder f("compat");
    f.shipped();
    struct Case {
        std::int16_t p, e;
        bool built;
    };
    for (const Case c : {Case{33, 48, false}, Case{34, 47, true}, Case{3, 1, true},
                         Case{3, 2, false}, Case{9, 11, true}, Case{15, 18, false},
                         Case{17, 30, true}, Case{36, 54, false}, Case{38, 1053, true},
                         Case{39, 1063, false}, Case{41, 1064, true}, Case{41, 1072, false}}) {
        const std::string out = f.file("RamSetup.asm");
        std::filesystem::remove(out);
        RecordingProgress progress;
        const Immagine im =
            CreaFileNVRAM(out, f.path(), versione(c.p, c.e), profiloBase(), progress);
        EXPECT_EQ(im.ok, c.built) << c.p << "/" << c.e;
        EXPECT_EQ(std::filesystem::exists(out), c.built) << c.p << "/" << c.e;
        if (!c.built) {
            EXPECT_EQ(progress.events, (std::vector<std::string>{"start 100", "stop failed"}));
        }
    }
}

TEST(ImageBuilder, ReportsTheBlockPercentagesAndStopsOnCancel) {
    ImageFolder f("progress");
    f.shipped();
    RecordingProgress progress;
    EXPECT_TRUE(costruisciImmagine(f.path(), versione(36, 51), profiloBase(), progress).ok);
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"start 100", "1", "2", "3", "4", "5", "6", "7", "10", "14",
                                        "35", "87", "90", "92", "95", "stop ok"}));
    RecordingProgress cancelled;
    cancelled.cancelAt = 35;
    const std::string out = f.file("cancelled.asm");
    EXPECT_FALSE(CreaFileNVRAM(out, f.path(), versione(36, 51), profiloBase(), cancelled).ok);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(cancelled.events.back(), "stop failed");
}

TEST(ImageBuilder, TheJobMemoryEndsBelowTheHistoryAndTheFieldBusArea) {
    ImageFolder f("partition");
    f.shipped();
    ParametriImmagine v = versione(36, 51);
    v.fbSize = 1000;
    platform::NoProgress none;
    const Immagine im = costruisciImmagine(f.path(), v, profiloBase(), none);
    EXPECT_EQ(im.indirizzi.fineLavori, 452768);
    EXPECT_EQ(im.indirizzi.blocco226, 452768 - 226);
    EXPECT_EQ(im.indirizzi.fineLavoriFB, 452768 - 226 - 1000);
    EXPECT_EQ(im.indirizzi.lavoro1, im.indirizzi.fine);
    EXPECT_EQ(im.indirizzi.fine, 46 + static_cast<std::int32_t>(im.byte.size()));
    // The four zero bytes before job record 1 follow the second text table.
    EXPECT_EQ(im.indirizzi.lavoro1 - 4, im.indirizzi.tabellaTesti2 + 2 * im.testiSecondi);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(at(im, im.indirizzi.lavoro1 - i), 0);
}

TEST(ImageBuilder, AMainLanguageWithoutText1GivesAnEmptyFirstTable) {
    ImageFolder f("notext1");
    synthetic(f, {"-1\t\"P\"", "0\t\"N\"", "2\t\"Two\""});
    platform::NoProgress none;
    const Immagine im = costruisciImmagine(
        f.path(), versione(36, 51),
        [] {
            CProfilo p = profiloBase();
            p.Lingua1 = LItaliano;
            p.Lingua2 = LInglese;
            return p;
        }(),
        none);
    EXPECT_TRUE(im.ok);
    EXPECT_EQ(im.testiPrincipali, 0);
    EXPECT_EQ(im.testiSecondi, 2);
    EXPECT_EQ(im.indirizzi.tabellaTesti2, im.indirizzi.tabellaTesti1);
}

TEST(ImageBuilder, AMissingFileStopsTheBuildWithoutAFile) {
    for (const char* missing : {"Font6x6.asm", "MenuIng.asm", "TestoIta.asm"}) {
        ImageFolder f("missing");
        synthetic(f, {"1\t\"One\""});
        std::filesystem::remove(f.file(missing));
        const std::string out = f.file("RamSetup.asm");
        platform::NoProgress none;
        const Immagine im = CreaFileNVRAM(
            out, f.path(), versione(36, 51),
            [] {
                CProfilo p = profiloBase();
                p.Lingua1 = LItaliano;
                p.Lingua2 = LInglese;
                return p;
            }(),
            none);
        EXPECT_FALSE(im.ok);
        EXPECT_EQ(im.erroreFile, "cannot read " + f.file(missing) + ": it does not exist");
        EXPECT_FALSE(std::filesystem::exists(out)) << missing;
    }
}

// A line the image would take wrongly (a font line that is no byte, a text or menu line that
// would be skipped or read as zeros) stops the build with the file and its line; no image file
// is written, so nothing can be sent from it.
TEST(ImageBuilder, AMalformedLineStopsTheBuildWithItsFileAndLine) {
    const std::string entry = "not an entry (number, blank, text in double quotes)";
    const std::string record =
        "not a menu record (lines used 0..3, icon, value field, one code per line, separated by "
        "commas)";
    struct Case {
        const char* file;
        std::vector<std::string> lines;
        int line;
        std::string reason;
    };
    const Case cases[] = {
        {"Font6x6.asm", {"4", "x5"}, 2, "not a number 0..255"},
        {"Font8x10.asm", {"1", "", "256"}, 3, "not a number 0..255"},
        {"TestoIta.asm", {"1\t\"One\"", "2 Two"}, 2, entry},
        {"TestoIta.asm", {"1\t\"One\"", "2\"Two\""}, 2, entry},
        {"TestoIta.asm", {"; texts", "two\t\"Two\""}, 2, entry},
        {"TestoIta.asm",
         {"1\t\"One\"", "", "1\t\"Uno\""},
         3,
         "entry 1 is given twice (first on line 1)"},
        {"TestoIng.asm", {"-1\t\"PRODUCT\"", "0\t\"NAME"}, 2, entry},
        {"MenuIta.asm",
         {"\"Job\"\t1", "\"Phase\t2", "1,0,0,1"},
         2,
         "the menu line has no closing double quote"},
        {"MenuIng.asm", {"\"Job\"\t1", "2,0,x,1,1001"}, 2, record},
        {"MenuIta.asm", {"\"Job\"\t1", "1,0,0,1", "\"Phase\"\t2"}, 3, record},
        {"MenuIta.asm", {"\"Job\"\t1", "4,0,0,1,1,1,1"}, 2, record},
        {"MenuIta.asm", {"\"Job\"\t1", "3,0,0,1,1"}, 2, record},
        {"MenuIta.asm", {"\"Job\"\t1", "2,0,0,1x,1"}, 2, record},
    };
    for (const Case& c : cases) {
        ImageFolder f("malformed");
        synthetic(f, {"1\t\"One\""});
        f.write(c.file, c.lines);
        const std::string out = f.file("RamSetup.asm");
        platform::NoProgress none;
        CProfilo p = profiloBase();
        p.Lingua1 = LItaliano;
        p.Lingua2 = LInglese;
        const Immagine im = CreaFileNVRAM(out, f.path(), versione(36, 51), p, none);
        EXPECT_FALSE(im.ok) << c.file << " " << c.line;
        EXPECT_EQ(im.erroreFile, "cannot read " + f.file(c.file) + ": line " +
                                     std::to_string(c.line) + ": " + c.reason);
        EXPECT_EQ(im.fileErrato, f.file(c.file));
        ASSERT_TRUE(im.problema) << c.file;
        EXPECT_EQ(im.problema->line, c.line);
        EXPECT_FALSE(std::filesystem::exists(out)) << c.file;
    }
}

TEST(ImageBuilder, MenuRecordsWithPlaceholdersAndTheValueFieldRenumbering) {
    ImageFolder f("menu");
    synthetic(f, {"1\t\"One\""});
    for (const std::int16_t e : {24, 25}) {
        platform::NoProgress none;
        CProfilo p = profiloBase();
        p.Lingua1 = LItaliano;
        const Immagine im = costruisciImmagine(f.path(), versione(17, e), p, none);
        ASSERT_TRUE(im.ok);
        const std::int32_t m = im.indirizzi.menuPrincipale;
        // The line texts come just before the records: "Job", "Phase", "Start".
        const std::int32_t job = m - 4 - 6 - 6;
        EXPECT_EQ(counted(im, job), "Job");
        EXPECT_EQ(counted(im, job + 4), "Phase");
        EXPECT_EQ(counted(im, job + 10), "Start");
        const std::vector<int> expected = {
            2,
            0,
            0,
            job & 255,
            job >> 8,
            0xF1,
            0xFF,
            0,
            0,
            3,
            2,
            e >= 25 ? 42 : 174,
            (job + 4) & 255,
            (job + 4) >> 8,
            (job + 10) & 255,
            (job + 10) >> 8,
            0xF8,
            0xFF,
            1,
            0,
            e >= 25 ? 31 : 159,
            (job + 10) & 255,
            (job + 10) >> 8,
            0,
            0,
            0,
            0,
            2,
            0,
            12,
            0xF0,
            0xFF,
            0xFF,
            0xFF,
            0,
            0,
        };
        std::vector<int> got;
        for (std::size_t i = 0; i < expected.size(); ++i)
            got.push_back(at(im, m + static_cast<std::int32_t>(i)));
        EXPECT_EQ(got, expected) << "extension " << e;
        EXPECT_GT(im.indirizzi.menuSecondo, im.indirizzi.menuPrincipale);
    }
}

TEST(ImageBuilder, IconRowsAreEncodedMostSignificantBitFirst) {
    EXPECT_EQ(codificaRiga("1       1      11       1", 3),
              (std::vector<std::uint8_t>{0x80, 0x81, 0x80}));
    EXPECT_EQ(codificaRiga("11111111x1", 2), (std::vector<std::uint8_t>{0xFF, 0x40}));
    EXPECT_EQ(codificaRiga("                1", 2),
              (std::vector<std::uint8_t>{0x00, 0x00}));  // the 17th is unused
    ImageFolder f("icons");
    f.shipped();
    platform::NoProgress none;
    const Immagine im = costruisciImmagine(f.path(), versione(36, 51), profiloBase(), none);
    std::int32_t a = im.indirizzi.icone;
    bool narrow = false;
    for (const Icona& icon : iconeIncorporate()) {
        EXPECT_FALSE(narrow && icon.byteRiga == 3) << "the 24-pixel icons come first";
        narrow = icon.byteRiga == 2;
        for (const std::string& row : icon.righe)
            for (std::uint8_t b : codificaRiga(row, icon.byteRiga))
                EXPECT_EQ(at(im, a++), b) << icon.nome;
    }
    EXPECT_EQ(a, im.indirizzi.tabellaTesti1);
}

TEST(ImageBuilder, ConfigurationAnchorsOfAnOldAndANewVersion) {
    ImageFolder f("anchors");
    f.shipped();
    platform::NoProgress none;
    const Immagine old = costruisciImmagine(f.path(), versione(17, 23), profiloBase(), none);
    ASSERT_TRUE(old.ok);
    EXPECT_EQ((std::vector<int>{at(old, 46), at(old, 47), at(old, 48), at(old, 49), at(old, 50),
                                at(old, 51), at(old, 52), at(old, 53)}),
              (std::vector<int>{74, 66, 20, 66, 0, 0, 1, 2}));
    EXPECT_EQ(counted(old, 72), "KRN VISUAL");
    EXPECT_EQ(at(old, 86), 0);
    EXPECT_EQ(counted(old, 93), "    kN");
    EXPECT_EQ(counted(old, 106), "KRN Visual");
    EXPECT_EQ(at(old, 241), 3);
    EXPECT_EQ(at(old, 284), 20);
    EXPECT_EQ(counted(old, 314), "Extra input");
    EXPECT_EQ(counted(old, 328), "Green box");
    EXPECT_EQ(counted(old, 384), "");
    EXPECT_EQ(counted(old, 398), "SetPoint 1");
    EXPECT_EQ(counted(old, 412), "SetPoint 2");
    for (int a = 426; a < 433; ++a) EXPECT_EQ(at(old, a), 0) << a;
    EXPECT_EQ(at(old, 433), 1);
    EXPECT_EQ((std::vector<int>{at(old, 448), at(old, 449), at(old, 450), at(old, 451)}),
              (std::vector<int>{1, 2, 8, 0}));
    for (int a = 452; a < 768; ++a) EXPECT_EQ(at(old, a), 0) << a;
    EXPECT_EQ(old.indirizzi.risorse, 768);
    EXPECT_EQ(at(old, 768), 34);

    const Immagine neu =
        costruisciImmagine(f.path(), versione(39, 1060, true), profiloBase(PressaQ4), none);
    ASSERT_TRUE(neu.ok);
    EXPECT_EQ((std::vector<int>{at(neu, 46), at(neu, 47), at(neu, 48), at(neu, 49), at(neu, 52),
                                at(neu, 53)}),
              (std::vector<int>{0, 0, 46, 0, 5, 2}));
    for (int a = 72; a < 86; ++a) EXPECT_EQ(at(neu, a), 0) << a;
    EXPECT_EQ(at(neu, 58), 0);  // 100000 N: no decimals
    EXPECT_EQ(at(neu, 284), 100);
    EXPECT_EQ(at(neu, 433), 2);
    EXPECT_EQ(at(neu, 448), 0);  // no default input assignment on an electric press
    EXPECT_EQ(at(neu, blocco::Fotoelettriche), 1);
    EXPECT_EQ(word(neu, blocco::Accelerazione), 90);
    EXPECT_EQ(word(neu, blocco::Decelerazione), 100);
    EXPECT_EQ(word(neu, blocco::DenominatoreGear5), 20);
    EXPECT_EQ(word(neu, blocco::ForzaMassima) + 65536 * word(neu, blocco::ForzaMassima + 2),
              100000);
    EXPECT_EQ(word(neu, blocco::QuotaIngrassaggio), 350);
    EXPECT_EQ(word(neu, blocco::PassoInMicron), 5);
    EXPECT_EQ(word(neu, blocco::CorsaUtile), 250);
    EXPECT_EQ(word(neu, blocco::SpeedMax), 1000);
    EXPECT_EQ(word(neu, blocco::CorrenteMotore), 56);
    EXPECT_EQ(at(neu, blocco::SensoreTemperatura), 1);
    EXPECT_EQ(at(neu, blocco::Flag), 16);
    for (int a = 512; a < 768; ++a) EXPECT_EQ(at(neu, a), 0) << a;
}

TEST(ImageBuilder, RenumberingChainOfTheTextSlots) {
    struct Case {
        int slot;
        std::int16_t p, e;
        bool electric;
        long entry;
    };
    for (const Case c :
         {Case{5, 9, 11, false, 65529}, Case{5, 15, 12, false, 5}, Case{62, 17, 38, false, 65512},
          Case{70, 17, 38, false, 65520}, Case{71, 17, 38, false, 71}, Case{62, 36, 51, false, 62},
          Case{30, 39, 1060, true, 65531}, Case{33, 39, 1060, true, 65534},
          Case{34, 39, 1060, true, 34}, Case{30, 39, 1060, false, 30}, Case{1, 3, 1, true, 1}})
        EXPECT_EQ(voceDelloSlot(c.slot, {c.p, c.e, c.electric}), c.entry)
            << c.slot << " " << c.p << "/" << c.e;
    EXPECT_EQ(voceConSegno(65529), -7);
}

TEST(ImageBuilder, TheFileHoldsOneDecimalBytePerLineAndFontLinesAsTheyStand) {
    ImageFolder f("file");
    synthetic(f, {"1\t\"One\""});
    CProfilo p = profiloBase();
    p.Lingua1 = LItaliano;
    platform::NoProgress none;
    const std::string out = f.file("RamSetup.asm");
    const Immagine im = CreaFileNVRAM(out, f.path(), versione(36, 51), p, none);
    ASSERT_TRUE(im.ok);
    std::ifstream in(out, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 13), "0\r\n0\r\n46\r\n0\r\n");
    EXPECT_NE(bytes.find("\r\n1\r\n 2 \r\n3\r\n4\r\n5\r\n"), std::string::npos);
    EXPECT_EQ(im.indirizzi.font6x6, im.indirizzi.font8x10 + 3);
    EXPECT_EQ(leggiFileImmagine(out), im.byte);
}

TEST(ImageBuilder, AnImagePast65535IsRefusedWithOutOfMemoryButItsFileIsWritten) {
    ImageFolder f("big");
    std::vector<std::string> texts = {"0\t\"N\""};
    for (int i = 1; i <= 300; ++i)
        texts.push_back(std::to_string(i) + "\t\"" + std::string(250, 'x') + "\"");
    synthetic(f, texts);
    CProfilo p = profiloBase();
    p.Lingua1 = LItaliano;
    p.Lingua2 = LInglese;
    platform::NoProgress none;
    const std::string out = f.file("RamSetup.asm");
    const Immagine im = CreaFileNVRAM(out, f.path(), versione(36, 51), p, none);
    EXPECT_FALSE(im.ok);
    EXPECT_EQ(im.avviso, "OUT OF MEMORY!!!!");
    EXPECT_EQ(im.testiPrincipali, 300);
    EXPECT_GT(im.indirizzi.fine, 65535);
    EXPECT_EQ(leggiFileImmagine(out), im.byte);
}

TEST(ImageBuilder, AnAnchorAlreadyPassedIsALayoutFault) {
    ScrittoreImmagine w;
    EXPECT_TRUE(w.finoA(50));
    EXPECT_EQ(w.byte(), std::vector<std::uint8_t>(4, 0));
    w.testoContato("ABCDEFGHIJ", 6);
    EXPECT_EQ(w.indirizzo(), 57);
    EXPECT_FALSE(w.finoA(56));
    EXPECT_EQ(w.indirizzo(), 57);
    EXPECT_EQ(w.byte()[4], 6);
}

namespace {

// Every profile value is checked against its field and the instrument's memory before an image
// exists: the areas may not overlap, the job memory holds one job, the history its pointers.
TEST(ImageBuilder, AProfileThatDoesNotFitTheInstrumentGivesNoImage) {
    ImageFolder f("fit");
    f.shipped();
    struct Case {
        const char* what;
        std::int32_t memoriaStory;
        std::int16_t lavoriStory;
        std::int16_t lingua1;
        std::int32_t fbSize;
        std::string error;  // its beginning; "" when the image is built
    };
    const Case cases[] = {
        {"the usual history", 60000, 3, LInglese, 0, ""},
        {"the history over the display texts", 510000, 3, LInglese, 0,
         "MemoriaStory 510000 does not fit this instrument: it must be from 12 to "},
        {"the history above the job memory", 600000, 3, LInglese, 0,
         "MemoriaStory 600000 does not fit this instrument: it must be from 12 to "},
        {"no room for the pointers", 8, 3, LInglese, 0,
         "MemoriaStory 8 does not fit this instrument: it must be from 12 to "},
        {"history off", 0, 0, LInglese, 0, ""},
        {"no such language", 60000, 3, 9, 0, "Lingua1 must be a whole number from 0 to 5, not 9"},
    };
    for (const Case& c : cases) {
        CProfilo p = profiloBase();
        p.MemoriaStory = c.memoriaStory;
        p.NumeroLavoriStory = c.lavoriStory;
        p.Lingua1 = c.lingua1;
        ParametriImmagine v = versione(36, 51);
        v.fbSize = c.fbSize;
        v.dimensioneLavoro = 1200;
        const std::string out = f.path() + "/RamSetup.asm";
        std::filesystem::remove(out);
        platform::NoProgress none;
        const Immagine im = CreaFileNVRAM(out, f.path(), v, p, none);
        EXPECT_EQ(im.ok, c.error.empty()) << c.what;
        EXPECT_EQ(im.erroreProfilo.substr(0, c.error.size()), c.error) << c.what;
        EXPECT_EQ(std::filesystem::exists(out), c.error.empty()) << c.what;
    }
}

TEST(ProfileFile, ControlCharactersInTheNameAreRefused) {
    CProfilo p;
    p.Inizializza();
    p.NomeStrumento = "AB\tC";
    EXPECT_EQ(valoreFuoriCampo(p),
              std::optional<std::string>("NomeStrumento holds a control character"));
    p.NomeStrumento = "AB C";
    EXPECT_EQ(valoreFuoriCampo(p), std::nullopt);
}

}  // namespace
