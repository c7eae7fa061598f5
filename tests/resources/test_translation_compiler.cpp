// The translation compiler against exact file bytes and exact box texts.
#include <gtest/gtest.h>

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

TEST(TranslationCompiler, FormErrorsStopWithTheirBox) {
    struct Case {
        std::string line;
        std::string box;
    } cases[] = {
        {"2 Forza", "La linea 2\n2 Forza\nnon ha il testo racchiuso tra virgolette (\")."},
        {"2 \"Forza", "La linea 2\n2 \"Forza\nnon ha il testo racchiuso tra virgolette (\")."},
        {"2", "La linea \n2\nsuccessiva alla 1 non ha tutti i campi."},
        {"x2 \"Forza\"", "La linea \nx2 \"Forza\"\nsuccessiva alla 1 non ha l'indice."},
        {"2 \"For\"za\"", "La linea 2\n2 \"For\"za\"\nha troppe virgolette (\")."},
    };
    for (const auto& c : cases) {
        ResourceFolder f;
        const auto r = compile(f, {"1\t\"Forza\"", c.line});
        EXPECT_EQ(r.result.status, CompileStatus::Refused) << c.line;
        EXPECT_EQ(boxes(r.result), std::vector<std::string>{c.box}) << c.line;
        EXPECT_EQ(r.result.problems[0].line, 2);
        EXPECT_FALSE(f.exists("TestoIta.asm"));
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

TEST(TranslationCompiler, ItalianIsNotCheckedAgainstItsCurrentFile) {
    ResourceFolder f;
    f.write("TestoIta.asm", {"1\t\"a\"", "2\t\"b\"", "3\t\"c\"", "4\t\"d\""});
    const auto r = compile(f, {"1 \"uno\"", "2 \"due\"", "4 \"quattro\""});
    ASSERT_EQ(r.result.status, CompileStatus::Done);
    EXPECT_EQ(r.texts, "1\t\"uno\"\r\n2\t\"due\"\r\n4\t\"quattro\"\r\n");
}

TEST(TranslationCompiler, AMissingLineStopsOtherLanguagesUnlessItKeepsTheReferenceText) {
    const std::vector<std::string> reference = {"1\t\"One\"", "2\t\"Two\"", "3\t\"KRN\"",
                                                "4\t\"Four\""};
    const std::vector<std::string> translation = {"1 \"Uno\"", "2 \"Due\"", "4 \"Quattro\""};
    {
        ResourceFolder f;
        f.write("TestoIng.asm", reference);
        const auto r = compile(f, translation, kEnglish);
        EXPECT_EQ(r.result.status, CompileStatus::Refused);
        EXPECT_EQ(boxes(r.result),
                  std::vector<std::string>{f.file("Trad.txt") +
                                           "\nManca la linea numero 3\n3\t\"KRN\"."});
        EXPECT_EQ(r.texts, "1\t\"One\"\r\n2\t\"Two\"\r\n3\t\"KRN\"\r\n4\t\"Four\"\r\n");
    }
    {
        ResourceFolder f;
        f.write("TestoIng.asm", reference);
        f.write("TestoLimiti.asm", {"3 ing 13"});
        const auto r = compile(f, translation, kEnglish);
        ASSERT_EQ(r.result.status, CompileStatus::Done);
        EXPECT_EQ(r.texts, "1\t\"Uno\"\r\n2\t\"Due\"\r\n3\t\"KRN\"\r\n4\t\"Quattro\"\r\n");
    }
}

TEST(TranslationCompiler, SequenceAgainstTheReferenceFile) {
    ResourceFolder f;
    f.write("TestoIng.asm", {"-2\t\"a\"", "-1\t\"b\"", "0\t\"c\"", "", "7\t\"x\""});
    // A lower number than the expected one.
    auto r = compile(f, {"-2 \"A\"", "-2 \"B\""}, kEnglish);
    EXPECT_EQ(boxes(r.result),
              std::vector<std::string>{
                  "La linea:\n-2 \"B\"\nha l'indice (-2) inferiore a quello previsto (-1).\n" +
                  f.file("Trad.txt")});
    // After an empty reference line, and past the reference's end, the translation numbers itself.
    r = compile(
        f, {"-2 \"A\"", "-1 \"B\"", "0 \"C\"", "9 \"D\"", "10 \"E\"", "11 \"F\"", "1001 \"Menu\""},
        kEnglish);
    ASSERT_EQ(r.result.status, CompileStatus::Done);
    EXPECT_EQ(r.texts,
              "-2\t\"A\"\r\n-1\t\"B\"\r\n0\t\"C\"\r\n9\t\"D\"\r\n10\t\"E\"\r\n11\t\"F\"\r\n");
}

TEST(TranslationCompiler, KeptReferenceTextsStayAsTheLanguageHasThem) {
    ResourceFolder f;
    f.write("TestoIng.asm", {"0\t\"KRN Visual\"", "1\t\"Force\""});
    f.write("TestoLimiti.asm", {"0\tING 13", "1 16"});
    const auto r = compile(f, {"0 \"Altro nome\"", "1 \"Kraft\""}, kEnglish);
    ASSERT_EQ(r.result.status, CompileStatus::Done);
    EXPECT_EQ(r.texts, "0\t\"KRN Visual\"\r\n1\t\"Kraft\"\r\n");
}

TEST(TranslationCompiler, AKeptTextIsTheReferenceLineOfItsOwnNumber) {
    ResourceFolder f;
    // After the empty reference line the translation numbers itself; entry 5 is still found.
    f.write("TestoIng.asm", {"0\t\"a\"", "", "5\t\"KRN\"", "6\t\"b\""});
    f.write("TestoLimiti.asm", {"5 ING 10", "7 ING 10"});
    const auto r = compile(f, {"0 \"A\"", "5 \"Altro\"", "6 \"B\"", "7 \"Nuovo\""}, kEnglish);
    ASSERT_EQ(r.result.status, CompileStatus::Done);
    // 7 is new to the language: the translation's text.
    EXPECT_EQ(r.texts, "0\t\"A\"\r\n5\t\"KRN\"\r\n6\t\"B\"\r\n7\t\"Nuovo\"\r\n");
}

TEST(TranslationCompiler, LengthLimitsAndRightAlignment) {
    ResourceFolder f;
    f.write("TestoLimiti.asm", {"5 -8", "6 4", "7 abc", "8 0"});
    auto r = compile(f, {"5 \"abc\"", "6 \"abcd\"", "7 \"no limit at all\"", "8 \"none either\""});
    ASSERT_EQ(r.result.status, CompileStatus::Done);
    EXPECT_EQ(r.texts,
              "5\t\"     abc\"\r\n6\t\"abcd\"\r\n7\t\"no limit at all\"\r\n8\t\"none either\"\r\n");

    r = compile(f, {"5 \"abcdefghi\""});
    EXPECT_EQ(boxes(r.result),
              std::vector<std::string>{"Il testo \"abcdefghi\" della linea 5 è troppo lungo.\n"
                                       "Massimo 8 caratteri\n" +
                                       f.file("Trad.txt")});
    r = compile(f, {"6 \"abcde\""});
    EXPECT_EQ(boxes(r.result),
              std::vector<std::string>{"Il testo \"abcde\" della linea 6 è troppo lungo.\n"
                                       "Massimo 4 caratteri\n" +
                                       f.file("Trad.txt")});
}

TEST(TranslationCompiler, CharactersTheDisplayCannotShowGetOneBoxEach) {
    struct Case {
        std::string text;
        std::vector<std::string> boxes;
    } cases[] = {
        {"K\xE4se", {"Non è possibile usare il carattere ä (228)"}},
        {"a{b", {}},
        {"a|b", {"Non è possibile usare il carattere | (124)"}},
        {"\xE4\xDF~",
         {"Non è possibile usare il carattere ä (228)",
          "Non è possibile usare il carattere ß (223)",
          "Non è possibile usare il carattere ~ (126)"}},
        {"\xE0\xE8\xE9\xEC\xF9\xB0\xB5\x80", {}},  // à è é ì ù ° µ €: their own instrument codes
        {"\xF2", {"Non è possibile usare il carattere ò (242)"}},
    };
    for (const auto& c : cases) {
        ResourceFolder f;
        const auto r = compile(f, {"1 \"" + c.text + "\""});
        EXPECT_EQ(boxes(r.result), c.boxes) << c.text;
        EXPECT_EQ(r.result.status, c.boxes.empty() ? CompileStatus::Done : CompileStatus::Refused);
    }
}

TEST(TranslationCompiler, MenuLinesAndRecords) {
    struct Case {
        const char* name;
        std::vector<std::string> formats;  // TrasformaMenu.asm
        std::string text;
        std::string menu;  // the menu file
    } cases[] = {
        {"5-2-5 with a value field: both joins have 8 characters, the first wins",
         {"1001 VALORE:174"},
         "aaaaa bb ccccc",
         "\"aaaaa bb\"\t1\r\n\"ccccc\"\t2\r\n2,0,174,1,2\t\taaaaa bb ccccc\t1\r\n"},
        {"5-2-5 on three lines",
         {},
         "aaaaa bb ccccc",
         "\"aaaaa\"\t1\r\n\"bb\"\t2\r\n\"ccccc\"\t3\r\n3,0,0,1,2,3\t\taaaaa bb ccccc\t1\r\n"},
        {"an icon leaves one line",
         {"1001 ICONA:4"},
         "Misura",
         "\"Misura\"\t1\r\n3,4,0,1,0,0\t\tMisura\t1\r\n"},
        {"icon and value field leave no line",
         {"1001 valore:50 icona:6"},
         "",
         "3,6,50,0,0,0\t\t\t1\r\n"},
        {"the shortest first join fails, a longer threshold fits",
         {"1001 VALORE:1"},
         "aaa bbbb cc dddd",
         "\"aaa bbbb\"\t1\r\n\"cc dddd\"\t2\r\n2,0,1,1,2\t\taaa bbbb cc dddd\t1\r\n"},
        {"placeholders widen and carry their field names",
         {},
         "Lavoro wwwwwww",
         "\"Lavoro\"\t1\r\n2,0,0,1,1001\t\tLavoro \"NomeLavoro\"\t1\r\n"},
        {"every short form",
         {},
         "ssssss1 bbbbbb2 ssssss3",
         "3,0,0,1000,1007,1005\t\t\"Supplementare1\" \"CheckPoint2\" \"Supplementare3\"\t1\r\n"},
        {"a ten-character form keeps its code and stands as written",
         {},
         "ssssssssss fffffff",
         "2,0,0,1000,1002\t\tssssssssss \"NomeFase\"\t1\r\n"},
        {"a mark's number followed by more text",
         {"1001 VALORE:12 (forza)"},
         "Forza",
         "\"Forza\"\t1\r\n1,0,12,1\t\tForza\t1\r\n"},
    };
    for (const auto& c : cases) {
        ResourceFolder f;
        f.write("TrasformaMenu.asm", c.formats);
        const auto r = compile(f, {"1001 \"" + c.text + "\""});
        ASSERT_EQ(r.result.status, CompileStatus::Done) << c.name << ": " << boxes(r.result)[0];
        EXPECT_EQ(r.menu, c.menu) << c.name;
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

TEST(TranslationCompiler, MenuBoxes) {
    struct Case {
        std::vector<std::string> formats;
        std::string text;
        std::string box;
    } cases[] = {
        {{},
         "Conferma abcdefghijk",
         "@\nLa parola abcdefghijk del menu Conferma abcdefghijk è troppo lunga.\nLinea 1001"},
        {{"1001 ICONA:2"},
         "Fondo scala",
         "Il testo del menu Fondo scala non può essere scritto su 1 linee.\nLinea 1001"},
        {{"1001 VALORE:3 ICONA:2"},
         "Forza",
         "Il testo del menu Forza non può essere scritto su 0 linee.\nLinea 1001"},
        {{}, "a\xE4 b", "Non è possibile usare il carattere ä (228)"},
    };
    for (const auto& c : cases) {
        ResourceFolder f;
        f.write("TrasformaMenu.asm", c.formats);
        const auto r = compile(f, {"1001 \"" + c.text + "\""});
        std::string expected = c.box;
        if (expected[0] == '@') expected = f.file("Trad.txt") + expected.substr(1);
        EXPECT_EQ(boxes(r.result), std::vector<std::string>{expected}) << c.text;
        EXPECT_EQ(r.result.status, CompileStatus::Refused);
    }
}

TEST(TranslationCompiler, AFailedCompilationLeavesBothLanguageFilesUntouched) {
    const std::vector<std::vector<std::string>> failing = {
        {"0 \"ok\"", "1001 \"Menu buono\"", "2 senza virgolette"},
        {"0 \"ok\"", "1001 \"Menu buono\"", "1002 \"parolatroppolunga\""},
        {"0 \"ok\"", "1001 \"Menu buono\"", "3 \"\xE4\""},
        {"0 \"ok\"", "1001 \"Menu buono\"", "5 \"troppo lungo per il limite\""},
    };
    for (const auto& lines : failing) {
        ResourceFolder f;
        f.write("TestoLimiti.asm", {"5 8"});
        f.writeBytes("TestoIta.asm", "old texts\r\n");
        f.writeBytes("MenuIta.asm", "old menu\r\n");
        const auto r = compile(f, lines);
        EXPECT_EQ(r.result.status, CompileStatus::Refused) << lines.back();
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
