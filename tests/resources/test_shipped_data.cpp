// The language data set shipped in data/: every translation compiles cleanly with the shipped
// limits and menu layouts into exactly the shipped files, and the creation commands' output
// compiles back to the same files.
#include <gtest/gtest.h>

#include "platform/text_file.h"
#include "resource_folder.h"
#include "resources/display_charset.h"
#include "resources/language_files.h"
#include "resources/translation_compiler.h"
#include "resources/translation_export.h"

using testing_support::ResourceFolder;

namespace {

const std::string kData = KRN_DATA_DIR;

std::string shipped(const std::string& name) {
    std::ifstream in(kData + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void copyShipped(const ResourceFolder& f, const std::vector<std::string>& names) {
    for (const auto& n : names) f.writeBytes(n, shipped(n));
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

class ShippedLanguage : public testing::TestWithParam<int> {
protected:
    const resources::LanguageFiles& files() const { return *resources::language(GetParam()); }
};

// The shipped translation and the one the creation command writes from the shipped files compile
// into the shipped files; the menu format command writes the shipped layout file.
TEST_P(ShippedLanguage, TranslationsAndTheMenuFormatReproduceTheShippedFiles) {
    ResourceFolder from;
    copyShipped(from, {files().textFile, files().menuFile});
    const auto layout = resources::menuFormatLines(from.str(), GetParam());
    ASSERT_TRUE(layout);
    EXPECT_EQ(joinLines(*layout), shipped("TrasformaMenu.asm"));
    const auto created = resources::translationLines(from.str(), GetParam());
    ASSERT_TRUE(created);
    for (const std::string translation : {files().translationFile, "Created.txt"}) {
        SCOPED_TRACE(translation);
        ResourceFolder f;
        copyShipped(f, {"TestoLimiti.asm", "TrasformaMenu.asm", files().textFile});
        translation == "Created.txt" ? f.write(translation, *created)
                                     : copyShipped(f, {translation});
        const auto r = resources::compileTranslation(f.str(), f.file(translation), GetParam());
        ASSERT_EQ(r.status, resources::CompileStatus::Done)
            << (r.problems.empty() ? r.fileError : r.problems[0].box);
        EXPECT_EQ(f.read(files().textFile), shipped(files().textFile));
        EXPECT_EQ(f.read(files().menuFile), shipped(files().menuFile));
    }
}

// Every capital accent of the display's character set has its own glyph in the shipped 8x10
// font: the plain letter with a mark in the top row ("Étalonnage" must not read "Etalonnage").
TEST(ShippedFont, CapitalAccentsAreNotThePlainLetters) {
    std::vector<int> rows;
    for (const auto& line : platform::splitLines(shipped("Font8x10.asm")))
        if (!line.empty()) rows.push_back(std::stoi(line));
    ASSERT_EQ(rows.size(), 1230u);
    const auto glyph = [&](int code) {
        return std::vector<int>(rows.begin() + code * 10, rows.begin() + code * 10 + 10);
    };
    for (const char* pair : {"ÝY", "ÑN", "ÓO", "ÁA", "ÚU", "ÍI", "ŽZ", "ŠS", "ÈE", "ÉE"}) {
        const std::string cp = platform::utf8ToCp1252(pair);
        ASSERT_EQ(cp.size(), 2u) << pair;
        const int accented = resources::instrumentCode(static_cast<unsigned char>(cp[0]));
        const int plain = resources::instrumentCode(static_cast<unsigned char>(cp[1]));
        EXPECT_NE(glyph(accented), glyph(plain)) << pair;
        EXPECT_NE(glyph(accented)[0], 0) << pair << ": no mark above the letter";
    }
    EXPECT_NE(glyph(resources::instrumentCode(0xC9)), glyph(resources::instrumentCode(0xC8)))
        << "É and È look alike";
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, testing::Range(0, resources::kLanguageCount));

}  // namespace
