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

// One compilation per row, from a fresh folder: the boxes of a refusal (the language's text file
// stays as it was) or the text file compiled.
TEST(TranslationCompiler, TextLinesGiveTheirFileOrTheirBoxes) {
    const std::string noQuotes = "non ha il testo racchiuso tra virgolette (\").";
    const std::string chr = "Non è possibile usare il carattere ";
    const std::string reference = "TestoIng.asm;1\t\"One\";2\t\"Two\";3\t\"KRN\";4\t\"Four\"";
    const std::string sequence = "TestoIng.asm;-2\t\"a\";-1\t\"b\";0\t\"c\";;7\t\"x\"";
    const std::string limits = "TestoLimiti.asm;5 -8;6 4;7 abc;8 0";
    struct Case {
        std::string files;        // a file's name and lines; "#" between files
        std::string translation;  // its lines
        int language;
        std::string boxes;  // "@" stands for the translation file, "#" between boxes; "": done
        const char* texts;  // the compiled text file; nullptr: not looked at
        int line;           // of the first problem; 0: not looked at
    };
    const Case cases[] = {
        {"", "1\t\"Forza\";2 Forza", kItalian, "La linea 2\n2 Forza\n" + noQuotes, nullptr, 2},
        {"", "1\t\"Forza\";2 \"Forza", kItalian, "La linea 2\n2 \"Forza\n" + noQuotes, nullptr, 2},
        {"", "1\t\"Forza\";2", kItalian, "La linea \n2\nsuccessiva alla 1 non ha tutti i campi.",
         nullptr, 2},
        {"", "1\t\"Forza\";x2 \"Forza\"", kItalian,
         "La linea \nx2 \"Forza\"\nsuccessiva alla 1 non ha l'indice.", nullptr, 2},
        {"", "1\t\"Forza\";2 \"For\"za\"", kItalian,
         "La linea 2\n2 \"For\"za\"\nha troppe virgolette (\").", nullptr, 2},
        // Italian is not checked against its current file.
        {"TestoIta.asm;1\t\"a\";2\t\"b\";3\t\"c\";4\t\"d\"", "1 \"uno\";2 \"due\";4 \"quattro\"",
         kItalian, "", "1\t\"uno\"\r\n2\t\"due\"\r\n4\t\"quattro\"\r\n", 0},
        // A missing line stops another language unless it keeps the reference text.
        {reference, "1 \"Uno\";2 \"Due\";4 \"Quattro\"", kEnglish,
         "@\nManca la linea numero 3\n3\t\"KRN\".", nullptr, 0},
        {reference + "#TestoLimiti.asm;3 ing 13", "1 \"Uno\";2 \"Due\";4 \"Quattro\"", kEnglish, "",
         "1\t\"Uno\"\r\n2\t\"Due\"\r\n3\t\"KRN\"\r\n4\t\"Quattro\"\r\n", 0},
        // A lower number than the expected one; after an empty reference line, and past the
        // reference's end, the translation numbers itself.
        {sequence, "-2 \"A\";-2 \"B\"", kEnglish,
         "La linea:\n-2 \"B\"\nha l'indice (-2) inferiore a quello previsto (-1).\n@", nullptr, 0},
        {sequence, "-2 \"A\";-1 \"B\";0 \"C\";9 \"D\";10 \"E\";11 \"F\";1001 \"Menu\"", kEnglish,
         "", "-2\t\"A\"\r\n-1\t\"B\"\r\n0\t\"C\"\r\n9\t\"D\"\r\n10\t\"E\"\r\n11\t\"F\"\r\n", 0},
        // Kept reference texts stay as the language has them, found by their own number also
        // after an empty reference line; 7 is new to the language.
        {"TestoIng.asm;0\t\"KRN Visual\";1\t\"Force\"#TestoLimiti.asm;0\tING 13;1 16",
         "0 \"Altro nome\";1 \"Kraft\"", kEnglish, "", "0\t\"KRN Visual\"\r\n1\t\"Kraft\"\r\n", 0},
        {"TestoIng.asm;0\t\"a\";;5\t\"KRN\";6\t\"b\"#TestoLimiti.asm;5 ING 10;7 ING 10",
         "0 \"A\";5 \"Altro\";6 \"B\";7 \"Nuovo\"", kEnglish, "",
         "0\t\"A\"\r\n5\t\"KRN\"\r\n6\t\"B\"\r\n7\t\"Nuovo\"\r\n", 0},
        // Length limits and the right alignment of a negative limit.
        {limits, "5 \"abc\";6 \"abcd\";7 \"no limit at all\";8 \"none either\"", kItalian, "",
         "5\t\"     abc\"\r\n6\t\"abcd\"\r\n7\t\"no limit at all\"\r\n8\t\"none either\"\r\n", 0},
        {limits, "5 \"abcdefghi\"", kItalian,
         "Il testo \"abcdefghi\" della linea 5 è troppo lungo.\nMassimo 8 caratteri\n@", nullptr,
         0},
        {limits, "6 \"abcde\"", kItalian,
         "Il testo \"abcde\" della linea 6 è troppo lungo.\nMassimo 4 caratteri\n@", nullptr, 0},
        // Characters the display cannot show get one box each; à è é ì ù ° µ € have their own
        // instrument codes.
        {"", "1 \"K\xE4se\"", kItalian, chr + "ä (228)", nullptr, 0},
        {"", "1 \"a{b\"", kItalian, "", nullptr, 0},
        {"", "1 \"a|b\"", kItalian, chr + "| (124)", nullptr, 0},
        {"", "1 \"\xE4\xDF~\"", kItalian, chr + "ä (228)#" + chr + "ß (223)#" + chr + "~ (126)",
         nullptr, 0},
        {"", "1 \"\xE0\xE8\xE9\xEC\xF9\xB0\xB5\x80\"", kItalian, "", nullptr, 0},
        {"", "1 \"\xF2\"", kItalian, chr + "ò (242)", nullptr, 0},
        // Menu texts that do not fit.
        {"", "1001 \"Conferma abcdefghijk\"", kItalian,
         "@\nLa parola abcdefghijk del menu Conferma abcdefghijk è troppo lunga.\nLinea 1001",
         nullptr, 0},
        {"TrasformaMenu.asm;1001 ICONA:2", "1001 \"Fondo scala\"", kItalian,
         "Il testo del menu Fondo scala non può essere scritto su 1 linee.\nLinea 1001", nullptr,
         0},
        {"TrasformaMenu.asm;1001 VALORE:3 ICONA:2", "1001 \"Forza\"", kItalian,
         "Il testo del menu Forza non può essere scritto su 0 linee.\nLinea 1001", nullptr, 0},
        {"", "1001 \"a\xE4 b\"", kItalian, chr + "ä (228)", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.translation);
        ResourceFolder f;
        for (const std::string& file : split(c.files, '#')) {
            const auto lines = split(file);
            f.write(lines[0], std::vector<std::string>(lines.begin() + 1, lines.end()));
        }
        const std::string textFile = c.language == kItalian ? "TestoIta.asm" : "TestoIng.asm";
        const auto before = std::tuple(f.exists(textFile), f.read(textFile));
        const auto r = compile(f, split(c.translation), c.language);
        std::string expected = c.boxes;
        if (const auto at = expected.find('@'); at != std::string::npos)
            expected.replace(at, 1, f.file("Trad.txt"));
        std::string got;
        for (const auto& box : boxes(r.result)) got += (got.empty() ? "" : "#") + box;
        EXPECT_EQ(got, expected);
        EXPECT_EQ(r.result.status, expected.empty() ? CompileStatus::Done : CompileStatus::Refused);
        if (!expected.empty()) {
            EXPECT_EQ(std::tuple(f.exists(textFile), r.texts), before);
        }
        if (expected.empty() && c.texts) {
            EXPECT_EQ(r.texts, c.texts);
        }
        if (c.line) {
            EXPECT_EQ(r.result.problems.at(0).line, c.line);
        }
    }
}

TEST(TranslationCompiler, LinesAreReadWithBlanksTabsAndEmptyLinesAsTheTranslatorWritesThem) {
    ResourceFolder f;
    const auto r = compile(f, {"  0 \t \"KRN \tVisual\"  ", "", "\t", "-6 \"kN\"", "1\t\"\""});
    ASSERT_EQ(r.result.status, CompileStatus::Done) << boxes(r.result)[0];
    // Tabs inside the text become blanks too; an empty text is a text.
    EXPECT_EQ(r.texts, "0\t\"KRN  Visual\"\r\n-6\t\"kN\"\r\n1\t\"\"\r\n");
    EXPECT_EQ(r.menu, "");
    EXPECT_EQ(f.read("Temp testo.asm"), r.texts);
}

TEST(TranslationCompiler, MenuLinesAndRecords) {
    // what the row shows, the line of TrasformaMenu.asm, the menu text, the menu file
    using Case = std::tuple<const char*, const char*, std::string, const char*>;
    const Case cases[] = {
        {"5-2-5 with a value field: both joins have 8 characters, the first wins",
         "1001 VALORE:174", "aaaaa bb ccccc",
         "\"aaaaa bb\"\t1\r\n\"ccccc\"\t2\r\n2,0,174,1,2\t\taaaaa bb ccccc\t1\r\n"},
        {"5-2-5 on three lines", "", "aaaaa bb ccccc",
         "\"aaaaa\"\t1\r\n\"bb\"\t2\r\n\"ccccc\"\t3\r\n3,0,0,1,2,3\t\taaaaa bb ccccc\t1\r\n"},
        {"an icon leaves one line", "1001 ICONA:4", "Misura",
         "\"Misura\"\t1\r\n3,4,0,1,0,0\t\tMisura\t1\r\n"},
        {"icon and value field leave no line", "1001 valore:50 icona:6", "",
         "3,6,50,0,0,0\t\t\t1\r\n"},
        {"the shortest first join fails, a longer threshold fits", "1001 VALORE:1",
         "aaa bbbb cc dddd",
         "\"aaa bbbb\"\t1\r\n\"cc dddd\"\t2\r\n2,0,1,1,2\t\taaa bbbb cc dddd\t1\r\n"},
        {"placeholders widen and carry their field names", "", "Lavoro wwwwwww",
         "\"Lavoro\"\t1\r\n2,0,0,1,1001\t\tLavoro \"NomeLavoro\"\t1\r\n"},
        {"every short form", "", "ssssss1 bbbbbb2 ssssss3",
         "3,0,0,1000,1007,1005\t\t\"Supplementare1\" \"CheckPoint2\" \"Supplementare3\"\t1\r\n"},
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

TEST(TranslationCompiler, MenuLinesAreSharedInOrderOfFirstUse) {
    ResourceFolder f;
    const auto r =
        compile(f, {"1001 \"Banda superiore\"", "1002 \"Banda inferiore\"", "1005 \"Lavoro\""});
    ASSERT_EQ(r.result.status, CompileStatus::Done);
    EXPECT_EQ(r.menu,
              "\"Banda\"\t1\r\n\"superiore\"\t2\r\n\"inferiore\"\t3\r\n\"Lavoro\"\t4\r\n"
              "2,0,0,1,2\t\tBanda superiore\t1\r\n2,0,0,1,3\t\tBanda "
              "inferiore\t2\r\n1,0,0,4\t\tLavoro\t5\r\n");
}

TEST(TranslationCompiler, AFailedCompilationLeavesBothLanguageFilesUntouched) {
    for (const std::string failing : {"2 senza virgolette", "1002 \"parolatroppolunga\"",
                                      "3 \"\xE4\"", "5 \"troppo lungo per il limite\""}) {
        ResourceFolder f;
        f.write("TestoLimiti.asm", {"5 8"});
        f.writeBytes("TestoIta.asm", "old texts\r\n");
        f.writeBytes("MenuIta.asm", "old menu\r\n");
        const auto r = compile(f, {"0 \"ok\"", "1001 \"Menu buono\"", failing});
        EXPECT_EQ(r.result.status, CompileStatus::Refused) << failing;
        EXPECT_EQ(r.texts, "old texts\r\n");
        EXPECT_EQ(r.menu, "old menu\r\n");
        // The work files hold what was accepted before the failing line.
        EXPECT_EQ(f.read("Temp testo.asm"), "0\t\"ok\"\r\n");
        EXPECT_EQ(f.read("Temp indici menu.asm"), "2,0,0,1,2\t\tMenu buono\t1\r\n");
    }
}

TEST(TranslationCompiler, ACheckListsEveryProblemAndWritesNothing) {
    ResourceFolder f;
    f.write("TestoLimiti.asm", {"2 4"});
    f.write("TestoIng.asm", {"0\t\"a\"", "1\t\"b\"", "2\t\"c\"", "3\t\"d\"", "4\t\"e\""});
    const auto r = compile(
        f, {"0 \"Zero\"", "1 One", "2 \"Two!!\"", "4 \"F\xE4\xDFr\"", "1001 \"abcdefghijkl\""},
        kEnglish, CompileMode::Check);
    EXPECT_EQ(r.result.status, CompileStatus::Refused);
    std::vector<int> lines;
    for (const auto& p : r.result.problems) lines.push_back(p.line);
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 4, 4, 4, 5}));
    EXPECT_EQ(r.result.problems[2].box,
              f.file("Trad.txt") + "\nManca la linea numero 3\n3\t\"d\".");
    EXPECT_EQ(r.texts, "0\t\"a\"\r\n1\t\"b\"\r\n2\t\"c\"\r\n3\t\"d\"\r\n4\t\"e\"\r\n");
    EXPECT_FALSE(f.exists("Temp testo.asm"));
    EXPECT_FALSE(f.exists("MenuIng.asm"));
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
    EXPECT_EQ(r.status, CompileStatus::FileError);
    EXPECT_EQ(r.fileError, f.file("absent.txt"));
}

TEST(MenuLayout, TranslatorTextGivesBackTheShortForms) {
    EXPECT_EQ(resources::translatorMenuText(
                  "Copia \"NomeLavoro\" \"Supplementare1\" sssssssss2 \"Altro\""),
              "Copia wwwwwww sssssss sssssssss2 \"Altro\"");
}

}  // namespace

namespace {

// A translation must cover its language's numbering (the entries of its current files), name
// each entry once and keep numbers to 9 digits; every problem is listed and nothing is replaced.
TEST(TranslationCompiler, AnIncompleteTranslationIsRefusedWithEveryProblem) {
    ResourceFolder f;
    const std::vector<std::string> texts = {"1\t\"Force\"", "2\t\"Stroke\"", "3\t\"Time\""};
    const std::vector<std::string> menu = {"\"Measure\"\t1", "1,0,0,1\t\tMeasure\t1",
                                           "1,0,0,1\t\tMeasure\t5"};
    f.write("TestoIng.asm", texts);
    f.write("MenuIng.asm", menu);
    const std::string before = f.read("TestoIng.asm") + f.read("MenuIng.asm");
    const struct {
        std::vector<std::string> translation;
        std::vector<std::string> boxes;
        std::size_t compiled;  // a compile stops at its first failing line
    } cases[] = {
        // Cut after its second line: the rest of the numbering is missing, each one named.
        {{"1 \"Forza\"", "2 \"Quota\""},
         {f.file("Trad.txt") + "\nManca la linea numero 3\n3\t\"Time\".",
          f.file("Trad.txt") + "\nManca la linea numero 1001",
          f.file("Trad.txt") + "\nManca la linea numero 1005"},
         3},
        {{"1 \"Forza\"", "2 \"Quota\"", "3 \"Tempo\"", "1001 \"Misura\"", "1001 \"Misura\"",
          "1005 \"Misura\""},
         {f.file("Trad.txt") +
          "\nLa linea numero 1001 compare due volte (righe 4 e 5).\n1001 \"Misura\""},
         1},
        {{"1 \"Forza\"", "2 \"Quota\"", "3 \"Tempo\"", "1001 \"Misura\"", "10000001005 \"Misura\""},
         {"La linea \n10000001005 \"Misura\"\nha un indice di più di 9 cifre.",
          f.file("Trad.txt") + "\nManca la linea numero 1005"},
         1},
    };
    for (const auto& c : cases)
        for (const CompileMode mode : {CompileMode::Check, CompileMode::Compile}) {
            const auto r = compile(f, c.translation, kEnglish, mode);
            EXPECT_EQ(r.result.status, CompileStatus::Refused);
            const std::size_t n = mode == CompileMode::Check ? c.boxes.size() : c.compiled;
            EXPECT_EQ(boxes(r.result),
                      std::vector<std::string>(c.boxes.begin(), c.boxes.begin() + n));
            EXPECT_EQ(r.texts + r.menu, before);
        }
}

}  // namespace
