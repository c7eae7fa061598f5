// The language data set shipped in data/: every translation compiles cleanly with the shipped
// limits and menu layouts into exactly the shipped files, and the creation commands' output
// compiles back to the same files.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text_file.h"
#include "resource_folder.h"
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

TEST_P(ShippedLanguage, TranslationCompilesIntoTheShippedFiles) {
    ResourceFolder f;
    copyShipped(
        f, {"TestoLimiti.asm", "TrasformaMenu.asm", files().textFile, files().translationFile});
    const auto r =
        resources::compileTranslation(f.str(), f.file(files().translationFile), GetParam());
    ASSERT_EQ(r.status, resources::CompileStatus::Done)
        << (r.problems.empty() ? r.fileError : r.problems[0].box);
    EXPECT_EQ(f.read(files().textFile), shipped(files().textFile));
    EXPECT_EQ(f.read(files().menuFile), shipped(files().menuFile));
}

TEST_P(ShippedLanguage, CreatedTranslationFileCompilesBackToTheSameFiles) {
    ResourceFolder from, to;
    copyShipped(from, {files().textFile, files().menuFile});
    const auto lines = resources::translationLines(from.str(), GetParam());
    ASSERT_TRUE(lines);
    copyShipped(to, {"TestoLimiti.asm", "TrasformaMenu.asm", files().textFile});
    to.write("Created.txt", *lines);
    const auto r = resources::compileTranslation(to.str(), to.file("Created.txt"), GetParam());
    ASSERT_EQ(r.status, resources::CompileStatus::Done)
        << (r.problems.empty() ? r.fileError : r.problems[0].box);
    EXPECT_EQ(to.read(files().textFile), shipped(files().textFile));
    EXPECT_EQ(to.read(files().menuFile), shipped(files().menuFile));
}

TEST_P(ShippedLanguage, MenuFormatReproducesTheShippedLayoutFile) {
    ResourceFolder f;
    copyShipped(f, {files().menuFile});
    const auto lines = resources::menuFormatLines(f.str(), GetParam());
    ASSERT_TRUE(lines);
    EXPECT_EQ(joinLines(*lines), shipped("TrasformaMenu.asm"));
}

// The numbering the NVRAM image builder relies on: -24 .. 71 in that order, so that entries 0..4
// come in order (the language is available) and -1, -6 and the run -24 .. -16 exist.
TEST_P(ShippedLanguage, DisplayTextsAreNumberedAsTheImageBuilderExpects) {
    const auto texts = resources::readDisplayTexts(platform::splitLines(shipped(files().textFile)));
    ASSERT_EQ(texts.size(), 96u);
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(texts[i].number, static_cast<long>(i) - 24);
    std::vector<std::string> table;
    std::vector<resources::MenuRecord> records;
    resources::readMenuFile(platform::splitLines(shipped(files().menuFile)), table, records);
    EXPECT_EQ(records.size(), 36u);
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i].menu, static_cast<long>(i) + 1);
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, testing::Range(0, resources::kLanguageCount));

}  // namespace
