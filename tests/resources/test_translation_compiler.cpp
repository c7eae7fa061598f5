// The translation compiler against exact file bytes and exact box texts.
#include <gtest/gtest.h>

#include <tuple>

#include "resource_folder.h"
#include "resources/menu_layout.h"
#include "resources/translation_compiler.h"

using resources::CompileMode;
using resources::CompileStatus;
using testing_support::ResourceFolder;

namespace {

constexpr int kItalian = 0;
constexpr int kEnglish = 1;

std::vector<std::string> boxes(const resources::CompileResult& r) {
    std::vector<std::string> out;
    for (const auto& p : r.problems) out.push_back(p.box);
    return out;
}

struct Compiled {
    resources::CompileResult result;
    std::string texts;  // the language's display-text file afterwards
    std::string menu;   // its menu file afterwards
};

Compiled compile(ResourceFolder& f, const std::vector<std::string>& translation,
                 int language = kItalian, CompileMode mode = CompileMode::Compile) {
    f.write("Trad.txt", translation);
    Compiled c;
    c.result = resources::compileTranslation(f.str(), f.file("Trad.txt"), language, mode);
    const std::string code = language == kItalian ? "Ita" : "Ing";
    c.texts = f.read("Testo" + code + ".asm");
    c.menu = f.read("Menu" + code + ".asm");
    return c;
}

// Lines given in one text, separated by ";" (or files by "#").
std::vector<std::string> split(const std::string& text, char separator = ';') {
    std::vector<std::string> out;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t to = std::min(text.find(separator, from), text.size());
        out.push_back(text.substr(from, to - from));
        from = to + 1;
    }
    return out;
}

// One compilation per row, from a fresh folder: the boxes of a refusal (the language's text and
// menu files stay as they were, also when earlier lines were accepted) or the text file compiled.
TEST(TranslationCompiler, TextLinesGiveTheirFileOrTheirBoxes) {
    const std::string noQuotes = "non ha il testo racchiuso tra virgolette (\").";
    const std::string chr = "Non è possibile usare il carattere ";
    const std::string reference = "TestoIng.asm;1\t\"One\";2\t\"Two\";3\t\"KRN\";4\t\"Four\"";
    const std::string sequence = "TestoIng.asm;-2\t\"a\";-1\t\"b\";0\t\"c\";;7\t\"x\"";
    const std::string limits = "TestoLimiti.asm;5 -8;6 4;7 abc;8 0";
    const std::string tooLong = " è troppo lungo.\nMassimo ";
    struct Case {
        std::string files;        // a file's name and lines; "#" between files
        std::string translation;  // its lines
        std::string boxes;       // "@" stands for the translation file, "#" between boxes; "": done
        std::string texts = "";  // the compiled text file; "": not looked at
        int language = kItalian;
    };
    const Case cases[] = {
        {"TestoIta.asm;old texts#MenuIta.asm;old menu", "1\t\"Forza\";2 Forza",
         "La linea 2\n2 Forza\n" + noQuotes},
        {"", "1\t\"Forza\";2 \"Forza", "La linea 2\n2 \"Forza\n" + noQuotes},
        {"", "1\t\"Forza\";2", "La linea \n2\nsuccessiva alla 1 non ha tutti i campi."},
        {"", "1\t\"Forza\";x2 \"Forza\"",
         "La linea \nx2 \"Forza\"\nsuccessiva alla 1 non ha l'indice."},
        {"", "1\t\"Forza\";2 \"For\"za\"", "La linea 2\n2 \"For\"za\"\nha troppe virgolette (\")."},
        // Italian is not checked against its current file.
        {"TestoIta.asm;1\t\"a\";2\t\"b\";3\t\"c\";4\t\"d\"", "1 \"uno\";2 \"due\";4 \"quattro\"",
         "", "1\t\"uno\"\r\n2\t\"due\"\r\n4\t\"quattro\"\r\n"},
        // A missing line stops another language unless it keeps the reference text.
        {reference, "1 \"Uno\";2 \"Due\";4 \"Quattro\"", "@\nManca la linea numero 3\n3\t\"KRN\".",
         "", kEnglish},
        {reference + "#TestoLimiti.asm;3 ing 13", "1 \"Uno\";2 \"Due\";4 \"Quattro\"", "",
         "1\t\"Uno\"\r\n2\t\"Due\"\r\n3\t\"KRN\"\r\n4\t\"Quattro\"\r\n", kEnglish},
        // A lower number than the expected one; after an empty reference line, and past the
        // reference's end, the translation numbers itself.
        {sequence, "-2 \"A\";-2 \"B\"",
         "La linea:\n-2 \"B\"\nha l'indice (-2) inferiore a quello previsto (-1).\n@", "",
         kEnglish},
        {sequence, "-2 \"A\";-1 \"B\";0 \"C\";9 \"D\";10 \"E\";11 \"F\";1001 \"Menu\"", "",
         "-2\t\"A\"\r\n-1\t\"B\"\r\n0\t\"C\"\r\n9\t\"D\"\r\n10\t\"E\"\r\n11\t\"F\"\r\n", kEnglish},
        // Kept reference texts stay as the language has them, found by their own number also
        // after an empty reference line; 7 is new to the language.
        {"TestoIng.asm;0\t\"KRN Visual\";1\t\"Force\"#TestoLimiti.asm;0\tING 13;1 16",
         "0 \"Altro nome\";1 \"Kraft\"", "", "0\t\"KRN Visual\"\r\n1\t\"Kraft\"\r\n", kEnglish},
        {"TestoIng.asm;0\t\"a\";;5\t\"KRN\";6\t\"b\"#TestoLimiti.asm;5 ING 10;7 ING 10",
         "0 \"A\";5 \"Altro\";6 \"B\";7 \"Nuovo\"", "",
         "0\t\"A\"\r\n5\t\"KRN\"\r\n6\t\"B\"\r\n7\t\"Nuovo\"\r\n", kEnglish},
        // Length limits and the right alignment of a negative limit.
        {limits, "5 \"abc\";6 \"abcd\";7 \"no limit at all\";8 \"none either\"", "",
         "5\t\"     abc\"\r\n6\t\"abcd\"\r\n7\t\"no limit at all\"\r\n8\t\"none either\"\r\n"},
        {limits, "5 \"abcdefghi\"",
         "Il testo \"abcdefghi\" della linea 5" + tooLong + "8 caratteri\n@"},
        {limits, "6 \"abcde\"", "Il testo \"abcde\" della linea 6" + tooLong + "4 caratteri\n@"},
        // Characters the display cannot show get one box each; à è é ì ù ° µ € have their own
        // instrument codes.
        {"", "1 \"\xE4\xDF~\"", chr + "ä (228)#" + chr + "ß (223)#" + chr + "~ (126)"},
        {"", "1 \"a{b\xE0\xE8\xE9\xEC\xF9\xB0\xB5\x80\"", ""},
        {"", "1 \"\xF2\"", chr + "ò (242)"},
        // Menu texts that do not fit.
        {"MenuIta.asm;old menu", "1001 \"Conferma abcdefghijk\"",
         "@\nLa parola abcdefghijk del menu Conferma abcdefghijk è troppo lunga.\nLinea 1001"},
        {"TrasformaMenu.asm;1001 ICONA:2", "1001 \"Fondo scala\"",
         "Il testo del menu Fondo scala non può essere scritto su 1 linee.\nLinea 1001"},
        {"TrasformaMenu.asm;1001 VALORE:3 ICONA:2", "1001 \"Forza\"",
         "Il testo del menu Forza non può essere scritto su 0 linee.\nLinea 1001"},
        {"", "1001 \"a\xE4 b\"", chr + "ä (228)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.translation);
        ResourceFolder f;
        for (const std::string& file : split(c.files, '#')) {
            const auto lines = split(file);
            f.write(lines[0], std::vector<std::string>(lines.begin() + 1, lines.end()));
        }
        const std::string code = c.language == kItalian ? "Ita" : "Ing";
        const auto before =
            std::tuple(f.exists("Testo" + code + ".asm"), f.read("Testo" + code + ".asm"),
                       f.read("Menu" + code + ".asm"));
        const auto r = compile(f, split(c.translation), c.language);
        std::string expected = c.boxes;
        if (const auto at = expected.find('@'); at != std::string::npos)
            expected.replace(at, 1, f.file("Trad.txt"));
        std::string got;
        for (const auto& box : boxes(r.result)) got += (got.empty() ? "" : "#") + box;
        EXPECT_EQ(
            std::tuple(got, r.result.status),
            std::tuple(expected, expected.empty() ? CompileStatus::Done : CompileStatus::Refused));
        if (!expected.empty()) {
            EXPECT_EQ(std::tuple(f.exists("Testo" + code + ".asm"), r.texts, r.menu), before);
        } else if (!c.texts.empty()) {
            EXPECT_EQ(r.texts, c.texts);
        }
    }
}

TEST(TranslationCompiler, LinesAreReadWithBlanksTabsAndEmptyLinesAsTheTranslatorWritesThem) {
    ResourceFolder f;
    const auto r = compile(f, {"  0 \t \"KRN \tVisual\"  ", "", "\t", "-6 \"kN\"", "1\t\"\""});
    ASSERT_EQ(r.result.status, CompileStatus::Done) << boxes(r.result)[0];
    // Tabs inside the text become blanks too; an empty text is a text.
    EXPECT_EQ(std::tuple(r.texts, r.menu, f.read("Temp testo.asm")),
              std::tuple("0\t\"KRN  Visual\"\r\n-6\t\"kN\"\r\n1\t\"\"\r\n", "", r.texts));
}

// (The icon, value-field and placeholder forms: ShippedLanguage, against the shipped menus.)
TEST(TranslationCompiler, MenuLinesAndRecords) {
    // what the row shows, the line of TrasformaMenu.asm, the menu text, the menu file
    using Case = std::tuple<const char*, const char*, std::string, const char*>;
    const Case cases[] = {
        {"5-2-5 with a value field: both joins have 8 characters, the first wins",
         "1001 VALORE:174", "aaaaa bb ccccc",
         "\"aaaaa bb\"\t1\r\n\"ccccc\"\t2\r\n2,0,174,1,2\t\taaaaa bb ccccc\t1\r\n"},
        {"a ten-character form keeps its code and stands as written", "", "ssssssssss fffffff",
         "2,0,0,1000,1002\t\tssssssssss \"NomeFase\"\t1\r\n"},
        {"a mark's number followed by more text", "1001 VALORE:12 (forza)", "Forza",
         "\"Forza\"\t1\r\n1,0,12,1\t\tForza\t1\r\n"},
    };
    for (const auto& [name, format, text, menu] : cases) {
        ResourceFolder f;
        f.write("TrasformaMenu.asm", split(format));
        const auto r = compile(f, {"1001 \"" + text + "\""});
        ASSERT_EQ(r.result.status, CompileStatus::Done) << name << ": " << boxes(r.result)[0];
        EXPECT_EQ(r.menu, menu) << name;
    }
}

// Line codes from 1000 on are the placeholders, so the table stops at 999 lines.
TEST(TranslationCompiler, TheMenuLineTableStopsBeforeThePlaceholderCodes) {
    ResourceFolder f;
    std::vector<std::string> lines;
    for (int i = 1; i <= 1000; ++i)
        lines.push_back(std::to_string(1000 + i) + " \"L" + std::to_string(i) + "\"");
    auto r = compile(f, lines);
    EXPECT_EQ(boxes(r.result),
              std::vector<std::string>{"Il menu ha più di 999 linee diverse.\nLinea 2000"});
    lines.pop_back();
    r = compile(f, lines);
    ASSERT_EQ(r.result.status, CompileStatus::Done);
    EXPECT_NE(r.menu.find("\"L999\"\t999\r\n1,0,0,1\t\tL1\t1\r\n"), std::string::npos);
}

TEST(TranslationCompiler, AnUnreadableTranslationFileIsAFileError) {
    ResourceFolder f;
    const auto r = resources::compileTranslation(f.str(), f.file("absent.txt"), kItalian);
    EXPECT_EQ(std::tuple(r.status, r.fileError),
              std::tuple(CompileStatus::FileError, f.file("absent.txt")));
}

// A translation must cover its language's numbering (the entries of its current files), name
// each entry once and keep numbers to 9 digits; every problem is listed and nothing is replaced.
TEST(TranslationCompiler, AnIncompleteTranslationIsRefusedWithEveryProblem) {
    ResourceFolder f;
    f.write("TestoIng.asm", {"1\t\"Force\"", "2\t\"Stroke\"", "3\t\"Time\""});
    f.write("MenuIng.asm", {"\"Measure\"\t1", "1,0,0,1\t\tMeasure\t1", "1,0,0,1\t\tMeasure\t5"});
    const std::string before = f.read("TestoIng.asm") + f.read("MenuIng.asm");
    const std::string missing = f.file("Trad.txt") + "\nManca la linea numero ";
    const std::string three = "1 \"Forza\";2 \"Quota\";3 \"Tempo\";1001 \"Misura\";";
    const struct {
        std::string translation, boxes;  // ";" between lines, "#" between boxes
        std::size_t compiled;            // a compile stops at its first failing line
    } cases[] = {
        // Cut after its second line: the rest of the numbering is missing, each one named.
        {"1 \"Forza\";2 \"Quota\"",
         missing + "3\n3\t\"Time\".#" + missing + "1001#" + missing + "1005", 3},
        {three + "1001 \"Misura\";1005 \"Misura\"",
         f.file("Trad.txt") +
             "\nLa linea numero 1001 compare due volte (righe 4 e 5).\n1001 \"Misura\"",
         1},
        {three + "10000001005 \"Misura\"",
         "La linea \n10000001005 \"Misura\"\nha un indice di più di 9 cifre.#" + missing + "1005",
         1},
    };
    for (const auto& c : cases)
        for (const CompileMode mode : {CompileMode::Check, CompileMode::Compile}) {
            const auto r = compile(f, split(c.translation), kEnglish, mode);
            const auto all = split(c.boxes, '#');
            const auto end = all.begin() + (mode == CompileMode::Check ? all.size() : c.compiled);
            EXPECT_EQ(std::tuple(r.result.status, boxes(r.result), r.texts + r.menu),
                      std::tuple(CompileStatus::Refused, std::vector<std::string>(all.begin(), end),
                                 before));
        }
}

}  // namespace
