// What krnctl says about what it did, through krnsim on a pseudo-terminal: the name now kept,
// names with control characters refused, a value the generation lacks refused with its reason,
// a broken-off signature shown by identify, and what a one-language instrument really gets.
#include "e2e/programs.h"

namespace {

using namespace e2e;

// A line of identify's text: the label padded to 28 characters.
std::string row(const std::string& label, const std::string& value) {
    std::string name = label + ":";
    name.resize(28, ' ');
    return name + value + "\n";
}

std::string on(const Krnsim& sim, const TempFolder& folder) {
    return krnctlOn("COM: " + sim.value("serial"), folder.str());
}

TEST(IntegrityCli, NamesSignatureAndMissingFields) {
    Krnsim sim({"--profile", "p36e51", "--serial"});
    TempFolder folder("krn-e2e-integrity");
    expectRuns(
        on(sim, folder),
        {
            {"brake-name '  AB  '", 0, "AB\n"},
            {"brake-name 'Fr\xC3\xA8\xE4\xB8\xAD'", 0, "Fr\xC3\xA8?\n"},
            {"name '  Press 7  '", 0, "Press 7\n"},
            {"name \"$(printf 'AB\\r\\nNUTENTI=9')\"", 3, "Bad name\n"},
            {"brake-name \"$(printf 'A\\tB')\"", 3, "Bad name\n"},
            {"name", 0, "Press 7\n"},
            {"identify | grep -E '^(State|Signature):'", 0,
             row("State", "ready") + row("Signature", "valid")},
            // A format broken off in the option step: "FontOK" cleared, "KRNV" kept.
            {"nvram write 0 0", 0, ""},
            {"identify | grep -E '^(State|Signature):'", 0,
             row("State",
                 "the header's signature is not valid (a format or a text send was broken "
                 "off): format the instrument again") +
                 row("Signature", "not valid")},
            {"--json identify | grep -o '\"FirmaValida\":false'", 0, "\"FirmaValida\":false\n"},
        },
        true);
}

TEST(IntegrityCli, OlderGenerationsSayWhatTheyLack) {
    Krnsim e23({"--profile", "p17e23", "--serial"});
    Krnsim e9({"--profile", "p9e9", "--serial"});
    TempFolder folder("krn-e2e-integrity");
    copyShippedData(folder.path);
    expectRuns(on(e23, folder),
               {{"deformation", 3,
                 "Communication error\nThis instrument (extension 23) has no structure deformation "
                 "coefficients.\n"}},
               true);
    const std::string profile =
        folder.file("line7.ini", "[Profilo]\r\nNomeStrumento=Linea 7\r\nLingua1=1\r\n");
    expectRuns(
        on(e9, folder),
        {
            {"brake-name", 3,
             "Name reading error.\nThis instrument (extension 9) has no set-point function "
             "name.\n"},
            {"--json send-text --languages Ing,Ita 2>&1 | grep -e Lingua -e 'one language'", 0,
             "krnctl: this instrument shows one language only: Italiano was not sent\n"
             "{\"Lingua1\":1,\"Esito\":false}\n"},
            {"format --profile " + profile + " 2>&1 | grep 'takes only'", 0,
             "krnctl: an instrument of this generation takes only the main language from a "
             "profile: the profile's name \"Linea 7\" is not written, nor its second language "
             "or history; \"krnctl name\" changes the name afterwards\n"},
        },
        true);
}

TEST(IntegrityCli, AProfileWhoseHistoryDoesNotFitIsRefusedBeforeAnythingIsWritten) {
    Krnsim sim({"--profile", "p36e51", "--serial"});
    TempFolder folder("krn-e2e-integrity");
    copyShippedData(folder.path);
    const std::string profile =
        folder.file("big.ini", "[Profilo]\r\nMemoriaStory=510000\r\nNumeroLavoriStory=3\r\n");
    const std::string k = on(sim, folder);
    const std::string before = run(k + "nvram read 0 12").out;
    const std::string fits =
        "MemoriaStory 510000 does not fit this instrument: it must be from 12 to ";
    const Result r = run(k + "--yes format --profile " + profile);
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_THAT(r.out, HasSubstr("The profile cannot be sent to this instrument: " + fits));
    EXPECT_EQ(run(k + "nvram read 0 12").out, before);
    const Result image = run(k + "image build --from-instrument --profile " + profile + " -o " +
                             (folder / "RamSetup.asm"));
    EXPECT_EQ(image.exitCode, 3) << image.out;
    EXPECT_THAT(image.out, HasSubstr(fits));
    EXPECT_FALSE(fs::exists(folder.path / "RamSetup.asm"));
}

}  // namespace
