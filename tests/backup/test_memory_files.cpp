// The byte-level memory files: the import reader, the job copy and the user list scrambling,
// byte for byte (the dump and difference lines as files: service/test_memory_commands.cpp).
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "backup/memory_files.h"

using namespace backup;

namespace {

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
    // (A file with a problem keeps no entry.)
    EXPECT_EQ(parseDump({"10   255   FF", "", "   ", "11 0"}, 512768).entries,
              (std::vector<DumpEntry>{{16, 255, 1}, {17, 0, 4}}));
    auto outside = parseDump({"10 1", "7D300 1"}, 512768);
    ASSERT_TRUE(outside.problem);
    EXPECT_EQ(std::tuple(outside.problem->line, outside.entries.size()), std::tuple(2, 0u));
    EXPECT_TRUE(parseDump({"FFFFFFFF 1"}, 512768).problem);
}

TEST(JobCopyFile, CountThenOneByteEachInTheShortForm) {
    EXPECT_EQ(jobCopyLines({0, 255, 7}), (std::vector<std::string>{" 3", " 0", " 255", " 7"}));
    EXPECT_EQ(jobCopyLines({}), std::vector<std::string>{" 0"});
    auto back = parseJobCopy({" 3", " 0", " 255", " 7"}, 3);
    EXPECT_EQ(std::tuple(back.problem.has_value(), back.bytes),
              std::tuple(false, std::vector<std::uint8_t>{0, 255, 7}));
    EXPECT_FALSE(parseJobCopy({" 0"}, 0).problem);
    const std::pair<std::vector<std::string>, int> bad[] = {
        {{}, 1},    {{" 4", " 1"}, 1}, {{" 1", " 1", " 2"}, 1}, {{" 2", " 1", " 300"}, 3},
        {{"x"}, 1}, {{"-1"}, 1},       {{" 2", " 1", ""}, 3},   {{" 4", " 1", " 1", " 1", " 1"}, 1},
    };
    for (const auto& [lines, line] : bad) {
        auto r = parseJobCopy(lines, 3);
        ASSERT_TRUE(r.problem) << line;
        EXPECT_EQ(std::tuple(r.problem->line, r.bytes.size()), std::tuple(line, 0u));
    }
}

TEST(UserList, EveryByteGivesItsOwnNumberAndNegativesKeepTheirSign) {
    std::set<int> seen;
    for (int b = 0; b < 256; ++b) seen.insert(scrambleUserByte(static_cast<std::uint8_t>(b)));
    EXPECT_EQ(seen.size(), 256u);
    // (0 - 17) * 97 - 1000 = -2649, XOR 0x5A = -2563.
    // (255 - 17) * 97 - 1000 = 22086, XOR 0x5A = 22044.
    EXPECT_EQ(std::tuple(scrambleUserByte(0), userListLine(0), userListLine(255)),
              std::tuple(-2563, "-2563", " 22044"));
}

}  // namespace
