// The byte-level memory files: dump lines, the import reader, the job copy, the user list
// scrambling and the differences line, byte for byte.
#include <gtest/gtest.h>

#include <set>

#include "backup/memory_files.h"

using namespace backup;

namespace {

TEST(MemoryDump, LinesCarryHexAddressDecimalAndHexByte) {
    EXPECT_EQ(dumpLine(16, 255), "10   255   FF");
    EXPECT_EQ(dumpLine(0, 0), "0   0   0");
    EXPECT_EQ(dumpLine(0x7FFFF, 10), "7FFFF   10   A");
    EXPECT_EQ(dumpLine(17, std::nullopt), "11   ERRORE!");
}

TEST(MemoryDump, ImportLinesNeedAHexAddressAndADecimalByte) {
    const std::pair<const char*, std::optional<DumpEntry>> cases[] = {
        {"10   255   FF", DumpEntry{16, 255, 0}},
        {"  7ffff 3", DumpEntry{0x7FFFF, 3, 0}},
        {"12 10 anything after", DumpEntry{18, 10, 0}},
        {"\t1A\t0", DumpEntry{26, 0, 0}},
        {"FFFFFFFF 1", DumpEntry{-1, 1, 0}},  // eight digits all count (refused later as outside)
        {"", std::nullopt},
        {"10", std::nullopt},
        {"10   ERRORE!", std::nullopt},
        {"10   256", std::nullopt},
        {"10   -1", std::nullopt},
        {"10   1.5", std::nullopt},
        {"G0   1", std::nullopt},
        {"&H10 1", std::nullopt},
        {"100000000 1", std::nullopt},
    };
    for (const auto& [line, entry] : cases) EXPECT_EQ(parseDumpLine(line), entry) << line;
}

TEST(MemoryDump, TheWholeFileIsCheckedAndBlankLinesSkipped) {
    auto ok = parseDump({"10   255   FF", "", "   ", "11 0"}, 512768);
    EXPECT_FALSE(ok.problem);
    ASSERT_EQ(ok.entries.size(), 2u);
    EXPECT_EQ(ok.entries[1].line, 4);
    auto outside = parseDump({"10 1", "7D300 1"}, 512768);
    ASSERT_TRUE(outside.problem);
    EXPECT_EQ(outside.problem->line, 2);
    EXPECT_TRUE(outside.entries.empty());
    EXPECT_TRUE(parseDump({"FFFFFFFF 1"}, 512768).problem);
}

TEST(JobCopyFile, CountThenOneByteEachInTheShortForm) {
    EXPECT_EQ(jobCopyLines({0, 255, 7}), (std::vector<std::string>{" 3", " 0", " 255", " 7"}));
    EXPECT_EQ(jobCopyLines({}), std::vector<std::string>{" 0"});
    auto back = parseJobCopy({" 3", " 0", " 255", " 7"}, 3);
    EXPECT_FALSE(back.problem);
    EXPECT_EQ(back.bytes, (std::vector<std::uint8_t>{0, 255, 7}));
    EXPECT_FALSE(parseJobCopy({" 0"}, 0).problem);
    const std::pair<std::vector<std::string>, int> bad[] = {
        {{}, 1},    {{" 4", " 1"}, 1}, {{" 1", " 1", " 2"}, 1}, {{" 2", " 1", " 300"}, 3},
        {{"x"}, 1}, {{"-1"}, 1},       {{" 2", " 1", ""}, 3},   {{" 4", " 1", " 1", " 1", " 1"}, 1},
    };
    for (const auto& [lines, line] : bad) {
        auto r = parseJobCopy(lines, 3);
        ASSERT_TRUE(r.problem) << line;
        EXPECT_EQ(r.problem->line, line);
        EXPECT_TRUE(r.bytes.empty());
    }
}

TEST(UserList, EveryByteGivesItsOwnNumberAndNegativesKeepTheirSign) {
    std::set<int> seen;
    for (int b = 0; b < 256; ++b) seen.insert(scrambleUserByte(static_cast<std::uint8_t>(b)));
    EXPECT_EQ(seen.size(), 256u);
    // (0 - 17) * 97 - 1000 = -2649, XOR 0x5A = -2563.
    EXPECT_EQ(scrambleUserByte(0), -2563);
    EXPECT_EQ(userListLine(0), "-2563");
    // (255 - 17) * 97 - 1000 = 22086, XOR 0x5A = 22044.
    EXPECT_EQ(userListLine(255), " 22044");
}

TEST(DifferencesLine, ExpectedAndReadInDecimalAndHex) {
    EXPECT_EQ(differenceLine(0x1F, 10, 11), "1F   OK: 10   A     BAD: 11   B");
    EXPECT_EQ(differenceLine(0, 0, 255), "0   OK: 0   0     BAD: 255   FF");
}

}  // namespace
