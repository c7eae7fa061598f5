#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/text_file.h"

namespace {

TEST(TextFile, WritesWindows1252WithCrLfAndReadsItBack) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "krn_text_file_test.txt").string();
    const std::vector<std::string> lines = {"Pressa \xE2\x82\xAC 1",
                                            "Forza \xC2\xB0"
                                            "C",
                                            "", "end"};
    ASSERT_TRUE(platform::writeTextLines(path, lines));
    EXPECT_EQ(platform::readFile(path, platform::FileKind::Small).value,
              std::string("Pressa \x80 1\r\nForza \xB0"
                          "C\r\n\r\nend\r\n"));
    EXPECT_EQ(platform::readTextLines(path, platform::FileKind::Small), lines);
    std::filesystem::remove(path);
    EXPECT_FALSE(platform::readTextLines(path, platform::FileKind::Small).has_value());
}

TEST(TextFile, ConvertsBetweenUtf8AndWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "abc"},
        {"\xC3\xA8", "\xE8"},  // è
        {"\xE2\x80\x9C"
         "x"
         "\xE2\x80\x9D",
         "\x93x\x94"},         // quotes
        {"\xC5\xA0", "\x8A"},  // Š
    };
    for (const auto& [utf8, cp1252] : cases) {
        EXPECT_EQ(platform::utf8ToCp1252(utf8), cp1252);
        EXPECT_EQ(platform::cp1252ToUtf8(cp1252), utf8);
    }
    // Characters the code page lacks become '?'; stray bytes pass through unchanged.
    EXPECT_EQ(platform::utf8ToCp1252("\xE4\xB8\xAD"), "?");
    EXPECT_EQ(platform::utf8ToCp1252("a\xFF"
                                     "b"),
              "a\xFF"
              "b");
    // Unassigned bytes keep their value as C1 controls, so nothing is lost in a round trip.
    EXPECT_EQ(platform::utf8ToCp1252(platform::cp1252ToUtf8("\x81\x8D")), "\x81\x8D");
}

}  // namespace
