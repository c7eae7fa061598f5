// The NVRAM write procedures: the frames they send, the transfer counter, the differences-only
// mode that writes nothing, the erase and the signature.
#include <gtest/gtest.h>

#include "backup/memory_files.h"
#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/settings/nvram_writes.h"
#include "support/image_folder.h"

using namespace testing_support;

namespace {

struct Writes : ::testing::Test {
    Writes() : folder("writes"), rig("p36e51"), host(rig, folder.path()) {
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    ImageFolder folder;
    InstrumentRig rig;
    TestHost host;
};

TEST_F(Writes, CountBytesAndSendOneOrTenPerFrame) {
    host.controller().setTransferCount(5);
    ASSERT_TRUE(service::WriteToKRN(host, 1000, 0x1AB));  // the low byte goes out
    ASSERT_TRUE(service::Write10byteToKRN(host, 1001, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(host.controller().transferCount(), 16);
    EXPECT_EQ(byteWrites(rig), (ByteWrites{{1000, 0xAB}}));
    EXPECT_EQ(requestNames(rig), (Texts{"14", "40"}));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rig.instrument.nvram()[1001 + i], i + 1);
}

TEST_F(Writes, DifferencesOnlyReadsAndLogsWithoutWriting) {
    host.setSoloDifferenze(true);
    rig.instrument.nvram()[1003] = 7;
    const auto before = rig.instrument.nvram();
    ASSERT_TRUE(service::Write10byteToKRN(host, 1000, {0, 0, 0, 9, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rig.instrument.nvram(), before);
    EXPECT_EQ(rig.commands(), std::vector<int>(10, 15));
    EXPECT_EQ(host.controller().transferCount(), 10);
    // Only the byte that differs, as address, expected and read.
    EXPECT_EQ(readFile(folder.file("Diff.asm")), backup::differenceLine(1003, 9, 7) + "\r\n");
}

TEST_F(Writes, CancelStopsAfterTheByteWentOut) {
    host.cancelAfterEvents = 0;
    EXPECT_FALSE(service::WriteToKRN(host, 1000, 3));
    EXPECT_TRUE(host.controller().Annullando());
    EXPECT_EQ(rig.instrument.nvram()[1000], 3);
}

TEST_F(Writes, EraseClearsTheSignatureAndTheCopyFromExtension30) {
    ASSERT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
    ASSERT_TRUE(service::CancellaNVRAM(host));
    ByteWrites expected;
    for (int a = 0; a < 12; ++a) expected.emplace_back(a, 0);
    for (int a = 512; a < 524; ++a) expected.emplace_back(a, 0);
    EXPECT_EQ(byteWrites(rig), expected);
    EXPECT_GE(rig.instrument.restarts(), 1);
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(false));
    rig.instrument.clearLog();
    ASSERT_TRUE(service::WriteNVRAMok(host));
    EXPECT_EQ(byteWrites(rig).size(), 12u);
    EXPECT_EQ(byteWrites(rig).back().first, 11);
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
}

}  // namespace
