// The NVRAM image builder: the version pairs, the configuration anchors, texts, menus, icons,
// the memory partition and the progress figures.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

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
    return {0, 0, elettrica, p, e, 2.5f, 512768};
}

CProfilo profiloBase(CylinderType t = NonElectric, std::int16_t lingua1 = LInglese,
                     std::int16_t lingua2 = LItaliano) {
    CProfilo p;
    p.Inizializza();
    p.Lingua1 = lingua1;
    p.Lingua2 = lingua2;
    p.TipoElettroPressa = t;
    p.NumeroLavoriStory = 3;
    return p;
}
// Italian first: the language of the synthetic folder's numbered texts.
CProfilo italiano(std::int16_t lingua2 = LInglese) {
    return profiloBase(NonElectric, LItaliano, lingua2);
}

// An image built in memory, or also written to `out`.
Immagine costruisci(const ImageFolder& f, const ParametriImmagine& v, const CProfilo& p,
                    const std::string& out = "") {
    platform::NoProgress none;
    return out.empty() ? costruisciImmagine(f.path(), v, p, none)
                       : CreaFileNVRAM(out, f.path(), v, p, none);
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
// The bytes at the NVRAM addresses from..to-1.
std::vector<int> bytes(const Immagine& im, std::int32_t from, std::int32_t to) {
    std::vector<int> out;
    for (std::int32_t a = from; a < to; ++a) out.push_back(at(im, a));
    return out;
}

// The shipped data, copied once; the tests only read it (and write their own image files).
const ImageFolder& shippedFolder() {
    static ImageFolder f("shipped");
    static const bool copied = (f.shipped(), true);
    return copied ? f : f;
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
    const ImageFolder& f = shippedFolder();
    using Case = std::tuple<std::int16_t, std::int16_t, bool>;  // protocol, extensions, built
    const Case cases[] = {{33, 48, false},  {34, 47, true},    {3, 1, true},     {3, 2, false},
                          {9, 11, true},    {15, 18, false},   {17, 30, true},   {36, 54, false},
                          {38, 1053, true}, {39, 1063, false}, {41, 1064, true}, {41, 1072, false}};
    for (const auto& [p, e, built] : cases) {
        const std::string out = f.file("RamSetup.asm");
        std::filesystem::remove(out);
        RecordingProgress progress;
        const Immagine im = CreaFileNVRAM(out, f.path(), versione(p, e), profiloBase(), progress);
        EXPECT_EQ(std::tuple(im.ok, std::filesystem::exists(out)), std::tuple(built, built))
            << p << "/" << e;
        if (!built) {
            EXPECT_EQ(progress.events, (std::vector<std::string>{"start 100", "stop failed"}));
        }
    }
}

TEST(ImageBuilder, ReportsTheBlockPercentagesAndStopsOnCancel) {
    const ImageFolder& f = shippedFolder();
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
    const ImageFolder& f = shippedFolder();
    ParametriImmagine v = versione(36, 51);
    v.fbSize = 1000;
    const Immagine im = costruisci(f, v, profiloBase());
    const IndirizziImmagine& a = im.indirizzi;
    EXPECT_EQ(std::tuple(a.fineLavori, a.blocco226, a.fineLavoriFB, a.lavoro1),
              std::tuple(452768, 452768 - 226, 452768 - 226 - 1000, a.fine));
    EXPECT_EQ(a.fine, 46 + static_cast<std::int32_t>(im.byte.size()));
    // The four zero bytes before job record 1 follow the second text table.
    EXPECT_EQ(a.lavoro1 - 4, a.tabellaTesti2 + 2 * im.testiSecondi);
    EXPECT_EQ(bytes(im, a.lavoro1 - 4, a.lavoro1), std::vector<int>(4, 0));
}

TEST(ImageBuilder, AMainLanguageWithoutText1GivesAnEmptyFirstTable) {
    ImageFolder f("notext1");
    synthetic(f, {"-1\t\"P\"", "0\t\"N\"", "2\t\"Two\""});
    const Immagine im = costruisci(f, versione(36, 51), italiano());
    EXPECT_TRUE(im.ok);
    EXPECT_EQ(std::tuple(im.testiPrincipali, im.testiSecondi, im.indirizzi.tabellaTesti2),
              std::tuple(0, 2, im.indirizzi.tabellaTesti1));
}

// A missing file, or a line the image would take wrongly (a font line that is no byte, a text or
// menu line that would be skipped or read as zeros), stops the build with the file and its line;
// no image file is written, so nothing can be sent from it.
TEST(ImageBuilder, AMissingFileOrAMalformedLineStopsTheBuildWithoutAFile) {
    const std::string entry = "not an entry (number, blank, text in double quotes)";
    const std::string record =
        "not a menu record (lines used 0..3, icon, value field, one code per line, separated by "
        "commas)";
    const std::string twice = "entry 1 is given twice (first on line 1)";
    const std::string quote = "the menu line has no closing double quote";
    struct Case {
        const char* file;
        std::vector<std::string> lines;  // none: the file is missing
        int line;
        std::string reason;
    };
    const Case cases[] = {
        {"Font6x6.asm", {}, 0, "it does not exist"},
        {"MenuIng.asm", {}, 0, "it does not exist"},
        {"TestoIta.asm", {}, 0, "it does not exist"},
        {"Font6x6.asm", {"4", "x5"}, 2, "not a number 0..255"},
        {"Font8x10.asm", {"1", "", "256"}, 3, "not a number 0..255"},
        {"TestoIta.asm", {"1\t\"One\"", "2 Two"}, 2, entry},
        {"TestoIta.asm", {"1\t\"One\"", "2\"Two\""}, 2, entry},
        {"TestoIta.asm", {"; texts", "two\t\"Two\""}, 2, entry},
        {"TestoIta.asm", {"1\t\"One\"", "", "1\t\"Uno\""}, 3, twice},
        {"TestoIng.asm", {"-1\t\"PRODUCT\"", "0\t\"NAME"}, 2, entry},
        {"MenuIta.asm", {"\"Job\"\t1", "\"Phase\t2", "1,0,0,1"}, 2, quote},
        {"MenuIng.asm", {"\"Job\"\t1", "2,0,x,1,1001"}, 2, record},
        {"MenuIta.asm", {"\"Job\"\t1", "1,0,0,1", "\"Phase\"\t2"}, 3, record},
        {"MenuIta.asm", {"\"Job\"\t1", "4,0,0,1,1,1,1"}, 2, record},
        {"MenuIta.asm", {"\"Job\"\t1", "3,0,0,1,1"}, 2, record},
        {"MenuIta.asm", {"\"Job\"\t1", "2,0,0,1x,1"}, 2, record},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.line));
        ImageFolder f("malformed");
        synthetic(f, {"1\t\"One\""});
        if (c.lines.empty())
            std::filesystem::remove(f.file(c.file));
        else
            f.write(c.file, c.lines);
        const std::string out = f.file("RamSetup.asm");
        const Immagine im = costruisci(f, versione(36, 51), italiano(), out);
        const std::string where = c.line ? "line " + std::to_string(c.line) + ": " : "";
        EXPECT_EQ(
            std::tuple(im.ok, im.erroreFile, std::filesystem::exists(out)),
            std::tuple(false, "cannot read " + f.file(c.file) + ": " + where + c.reason, false));
        if (c.line == 0) continue;
        ASSERT_TRUE(im.problema);
        EXPECT_EQ(std::tuple(im.fileErrato, im.problema->line), std::tuple(f.file(c.file), c.line));
    }
}

TEST(ImageBuilder, MenuRecordsWithPlaceholdersAndTheValueFieldRenumbering) {
    ImageFolder f("menu");
    synthetic(f, {"1\t\"One\""});
    for (const std::int16_t e : {24, 25}) {
        const Immagine im = costruisci(f, versione(17, e), italiano(LItaliano));
        ASSERT_TRUE(im.ok);
        const std::int32_t m = im.indirizzi.menuPrincipale;
        // The line texts come just before the records: "Job", "Phase", "Start".
        const std::int32_t job = m - 4 - 6 - 6;
        EXPECT_EQ(std::tuple(counted(im, job), counted(im, job + 4), counted(im, job + 10)),
                  std::tuple("Job", "Phase", "Start"));
        // Their addresses, low byte first, and the value fields renumbered from extension 25.
        const int j0 = job & 255, j1 = job >> 8, p0 = (job + 4) & 255, p1 = (job + 4) >> 8;
        const int s0 = (job + 10) & 255, s1 = (job + 10) >> 8;
        const int v174 = e >= 25 ? 42 : 174, v159 = e >= 25 ? 31 : 159;
        const std::vector<int> expected = {
            2, 0, 0,    j0, j1, 0xF1, 0xFF, 0, 0, 3, 2, v174, p0,   p1,   s0,   s1,   0xF8, 0xFF,
            1, 0, v159, s0, s1, 0,    0,    0, 0, 2, 0, 12,   0xF0, 0xFF, 0xFF, 0xFF, 0,    0};
        EXPECT_EQ(bytes(im, m, m + static_cast<std::int32_t>(expected.size())), expected)
            << "extension " << e;
        EXPECT_GT(im.indirizzi.menuSecondo, im.indirizzi.menuPrincipale);
    }
}

// (The built-in icons themselves go into every image built here.)
TEST(ImageBuilder, IconRowsAreEncodedMostSignificantBitFirst) {
    EXPECT_EQ(codificaRiga("1       1      11       1", 3),
              (std::vector<std::uint8_t>{0x80, 0x81, 0x80}));
    EXPECT_EQ(codificaRiga("11111111x1", 2), (std::vector<std::uint8_t>{0xFF, 0x40}));
    EXPECT_EQ(codificaRiga("                1", 2),
              (std::vector<std::uint8_t>{0x00, 0x00}));  // the 17th is unused
}

TEST(ImageBuilder, ConfigurationAnchorsOfAnOldAndANewVersion) {
    const ImageFolder& f = shippedFolder();
    const Immagine old = costruisci(f, versione(17, 23), profiloBase());
    ASSERT_TRUE(old.ok);
    EXPECT_EQ(bytes(old, 46, 54), (std::vector<int>{74, 66, 20, 66, 0, 0, 1, 2}));
    const std::pair<int, const char*> texts[] = {
        {72, "KRN VISUAL"}, {93, "    kN"}, {106, "KRN Visual"}, {314, "Extra input"},
        {328, "Green box"}, {384, ""},      {398, "SetPoint 1"}, {412, "SetPoint 2"}};
    for (const auto& [a, text] : texts) EXPECT_EQ(counted(old, a), text) << a;
    EXPECT_EQ(
        std::tuple(at(old, 86), at(old, 241), at(old, 284), old.indirizzi.risorse, at(old, 768)),
        std::tuple(0, 3, 20, 768, 34));
    EXPECT_EQ(bytes(old, 426, 434), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 1}));
    std::vector<int> inputs(768 - 448, 0);
    inputs[0] = 1, inputs[1] = 2, inputs[2] = 8;
    EXPECT_EQ(bytes(old, 448, 768), inputs);

    const Immagine neu = costruisci(f, versione(39, 1060, true), profiloBase(PressaQ4));
    ASSERT_TRUE(neu.ok);
    EXPECT_EQ(bytes(neu, 46, 54), (std::vector<int>{0, 0, 46, 0, at(neu, 50), at(neu, 51), 5, 2}));
    EXPECT_EQ(bytes(neu, 72, 86), std::vector<int>(14, 0));
    // 100000 N: no decimals; no default input assignment at 448 on an electric press.
    using namespace blocco;
    EXPECT_EQ(
        (std::vector<int>{at(neu, 58), at(neu, 284), at(neu, 433), at(neu, 448),
                          at(neu, Fotoelettriche), at(neu, SensoreTemperatura), at(neu, Flag)}),
        (std::vector<int>{0, 100, 2, 0, 1, 1, 16}));
    const std::pair<int, int> words[] = {{Accelerazione, 90},     {Decelerazione, 100},
                                         {DenominatoreGear5, 20}, {QuotaIngrassaggio, 350},
                                         {PassoInMicron, 5},      {CorsaUtile, 250},
                                         {SpeedMax, 1000},        {CorrenteMotore, 56}};
    for (const auto& [a, v] : words) EXPECT_EQ(word(neu, a), v) << a;
    EXPECT_EQ(word(neu, ForzaMassima) + 65536 * word(neu, ForzaMassima + 2), 100000);
    EXPECT_EQ(bytes(neu, 512, 768), std::vector<int>(256, 0));
}

TEST(ImageBuilder, RenumberingChainOfTheTextSlots) {
    using Case = std::tuple<int, std::int16_t, std::int16_t, bool, long>;  // slot, version, entry
    const Case cases[] = {
        {5, 9, 11, false, 65529},    {5, 15, 12, false, 5},       {62, 17, 38, false, 65512},
        {70, 17, 38, false, 65520},  {71, 17, 38, false, 71},     {62, 36, 51, false, 62},
        {30, 39, 1060, true, 65531}, {33, 39, 1060, true, 65534}, {34, 39, 1060, true, 34},
        {30, 39, 1060, false, 30},   {1, 3, 1, true, 1}};
    for (const auto& [slot, p, e, electric, entry] : cases)
        EXPECT_EQ(voceDelloSlot(slot, {p, e, electric}), entry) << slot << " " << p << "/" << e;
    EXPECT_EQ(voceConSegno(65529), -7);
}

// An image past 65535 is refused, but its file is written as any other: one decimal byte per
// line, the font lines as they stand.
TEST(ImageBuilder, AnImagePast65535IsRefusedWithOutOfMemoryButItsFileIsWritten) {
    ImageFolder f("big");
    std::vector<std::string> texts = {"0\t\"N\""};
    for (int i = 1; i <= 300; ++i)
        texts.push_back(std::to_string(i) + "\t\"" + std::string(250, 'x') + "\"");
    synthetic(f, texts);
    const std::string out = f.file("RamSetup.asm");
    const Immagine im = costruisci(f, versione(36, 51), italiano(), out);
    EXPECT_FALSE(im.ok);
    EXPECT_EQ(std::tuple(im.avviso, im.testiPrincipali), std::tuple("OUT OF MEMORY!!!!", 300));
    EXPECT_GT(im.indirizzi.fine, 65535);
    EXPECT_EQ(leggiFileImmagine(out), im.byte);
    // One decimal byte per line; the font lines as they stand in the font files.
    std::ifstream in(out, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.substr(0, 13), "0\r\n0\r\n46\r\n0\r\n");
    EXPECT_NE(text.find("\r\n1\r\n 2 \r\n3\r\n4\r\n5\r\n"), std::string::npos);
    EXPECT_EQ(im.indirizzi.font6x6, im.indirizzi.font8x10 + 3);
}

TEST(ImageBuilder, AnAnchorAlreadyPassedIsALayoutFault) {
    ScrittoreImmagine w;
    EXPECT_TRUE(w.finoA(50));
    EXPECT_EQ(w.byte(), std::vector<std::uint8_t>(4, 0));
    w.testoContato("ABCDEFGHIJ", 6);
    EXPECT_FALSE(w.finoA(56));
    EXPECT_EQ(std::tuple(w.indirizzo(), w.byte()[4]), std::tuple(57, 6));
}

// Every profile value is checked against its field and the instrument's memory before an image
// exists: the areas may not overlap, the job memory holds one job, the history its pointers.
TEST(ImageBuilder, AProfileThatDoesNotFitTheInstrumentGivesNoImage) {
    const ImageFolder& f = shippedFolder();
    // MemoriaStory, NumeroLavoriStory, Lingua1, the error's beginning ("": the image is built)
    using Case = std::tuple<std::int32_t, std::int16_t, std::int16_t, std::string>;
    const std::string noFit = " does not fit this instrument: it must be from 12 to ";
    const Case cases[] = {
        {60000, 3, LInglese, ""},                              // the usual history
        {510000, 3, LInglese, "MemoriaStory 510000" + noFit},  // over the display texts
        {600000, 3, LInglese, "MemoriaStory 600000" + noFit},  // above the job memory
        {8, 3, LInglese, "MemoriaStory 8" + noFit},            // no room for the pointers
        {0, 0, LInglese, ""},                                  // history off
        {60000, 3, 9, "Lingua1 must be a whole number from 0 to 5, not 9"},
    };
    for (const auto& [memoria, lavori, lingua1, error] : cases) {
        CProfilo p = profiloBase(NonElectric, lingua1);
        p.MemoriaStory = memoria;
        p.NumeroLavoriStory = lavori;
        ParametriImmagine v = versione(36, 51);
        v.dimensioneLavoro = 1200;
        const std::string out = f.file("RamSetup.asm");
        std::filesystem::remove(out);
        const Immagine im = costruisci(f, v, p, out);
        EXPECT_EQ(std::tuple(im.ok, im.erroreProfilo.substr(0, error.size()),
                             std::filesystem::exists(out)),
                  std::tuple(error.empty(), error, error.empty()))
            << memoria;
    }
}
