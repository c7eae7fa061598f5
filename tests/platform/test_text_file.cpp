#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/text_file.h"

namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

TEST(TextFile, WritesWindows1252WithCrLfAndReadsItBack) {
    const std::string path = tempPath("krn_text_file_test.txt");
    const std::vector<std::string> lines = {"Pressa \xE2\x82\xAC 1",
                                            "Forza \xC2\xB0"
                                            "C",
                                            "", "end"};
    ASSERT_TRUE(platform::writeTextLines(path, lines));
    EXPECT_EQ(fileBytes(path), std::string("Pressa \x80 1\r\nForza \xB0"
                                           "C\r\n\r\nend\r\n"));
    auto back = platform::readTextLines(path, platform::FileKind::Small);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, lines);
    std::filesystem::remove(path);
    EXPECT_FALSE(platform::readTextLines(path, platform::FileKind::Small).has_value());
}

TEST(TextFile, ConvertsBetweenUtf8AndWindows1252) {
    struct Case {
        std::string utf8, cp1252;
    };
    const Case cases[] = {
        {"abc", "abc"},
        {"\xC3\xA8", "\xE8"},  // è
        {"\xE2\x80\x9C"
         "x"
         "\xE2\x80\x9D",
         "\x93x\x94"},         // quotes
        {"\xC5\xA0", "\x8A"},  // Š
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::utf8ToCp1252(c.utf8), c.cp1252);
        EXPECT_EQ(platform::cp1252ToUtf8(c.cp1252), c.utf8);
    }
    // Characters the code page lacks become '?'; stray bytes pass through unchanged.
    EXPECT_EQ(platform::utf8ToCp1252("\xE4\xB8\xAD"), "?");
    EXPECT_EQ(platform::utf8ToCp1252(std::string("a\xFF"
                                                 "b")),
              std::string("a\xFF"
                          "b"));
    // Unassigned bytes keep their value as C1 controls, so nothing is lost in a round trip.
    EXPECT_EQ(platform::utf8ToCp1252(platform::cp1252ToUtf8("\x81\x8D")), "\x81\x8D");
}

TEST(TextFile, SplitsAtEveryKindOfLineEnd) {
    EXPECT_EQ(platform::splitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(platform::splitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(platform::splitLines("").empty());
}

}  // namespace
