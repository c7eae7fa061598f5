// The firmware file reader: records, line lengths for the progress, the file's length, and the
// first bad line of a file that is refused.
#include <gtest/gtest.h>

#include <tuple>

#include "resources/firmware_file.h"

TEST(FirmwareFile, RecordsWithTheirLineLengthsWhateverTheLineEnd) {
    for (const std::string text :
         {"0:1:2\r\n64:255:0\r\n1048574:9:10", "0:1:2\n64:255:0\n1048574:9:10\n"}) {
        const resources::FirmwareRead r = resources::parseFirmware(text);
        ASSERT_TRUE(r.file) << text;
        EXPECT_FALSE(r.problem);
        EXPECT_EQ(r.file->bytes, text.size());
        ASSERT_EQ(r.file->records.size(), 3u);
        const auto& b = r.file->records[1];
        // "64:255:0": the line end is not counted in its length.
        EXPECT_EQ(
            std::tuple(b.address, b.first, b.second, b.lineLength, r.file->records[2].address),
            std::tuple(64, 255, 0, 8u, 1048574));
    }
}

TEST(FirmwareFile, TheFirstBadLineIsNamed) {
    using Case = std::tuple<const char*, int, std::string>;  // text, line, reason
    const Case cases[] = {
        {"0:1:2\r\n2:3\r\n", 2, "not \"address:value:value\""},
        {"0:1:2\r\n 2:3:4\r\n", 2, "the address is not a decimal number"},
        {"-2:3:4\r\n", 1, "the address is not a decimal number"},
        {"99999999999:3:4\r\n", 1, "the address is not a decimal number"},
        {"16777215:3:4\r\n", 1, "the address is outside the 24-bit address range (0 to 16777214)"},
        {"0:1:2:3\r\n", 1, "a value is not a decimal number from 0 to 255"},
        {"0::2\r\n", 1, "a value is not a decimal number from 0 to 255"},
        {"0:1:2\r\n8:1:2\r\n1:1:2\r\n", 3, "a byte at this address was given before"},
        {"0:1:2\r\n\r\n", 2, "not \"address:value:value\""},
        {"", 1, "the file holds no record"},
    };
    for (const auto& [text, line, reason] : cases) {
        const resources::FirmwareRead r = resources::parseFirmware(text);
        EXPECT_FALSE(r.file) << text;
        ASSERT_TRUE(r.problem) << text;
        EXPECT_EQ(std::tuple(r.problem->line, r.problem->reason), std::tuple(line, reason)) << text;
    }
    EXPECT_TRUE(resources::readFirmwareFile("/nonexistent/krn.atm").unreadable);
    // Above 1 MiB and up to the last 24-bit address a record is taken.
    EXPECT_TRUE(resources::parseFirmware("1048576:3:4\r\n16777214:5:6\r\n").file);
}
