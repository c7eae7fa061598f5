// InviaFileNVRAM1: the image in blocks of ten and single bytes, exact frames on the wire, the
// retry box, the technician's cancel, the verified writes.
#include <gtest/gtest.h>

#include <fstream>

#include "service/command_log.h"
#include "service/format/format_send.h"
#include "support/image_folder.h"

using namespace testing_support;
using platform::MessageResult;

namespace {

const provisioning::IndirizziImmagine kAddresses{0x0410, 0x0920, 768,    0x3000, 0x5000,
                                                 0x6100, 0x6200, 0x6000, 0x6300, 452768,
                                                 452542, 452542, 0x6300};

// The ten-byte writes (command 40): address and data.
using Blocks = std::vector<std::pair<int, std::vector<int>>>;
Blocks tenByteWrites(const InstrumentRig& rig) {
    Blocks out;
    for (const auto& r : rig.instrument.requests())
        if (r.size() == 16 && r[1] == 40)
            out.emplace_back(r[2] | r[3] << 8 | r[4] << 16,
                             std::vector<int>(r.begin() + 5, r.end() - 1));
    return out;
}

// The numbers from `from` to `to`.
std::vector<int> range(int from, int to) {
    std::vector<int> r;
    for (int a = from; a <= to; ++a) r.push_back(a);
    return r;
}
struct FormatSend : ::testing::Test {
    FormatSend() : dir("send"), rig("p36e51"), host(rig, dir.path()) {
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    // An image file of n values 1, 2, 3 ... (modulo 250) with blanks around some of them.
    std::string writeImage(int n) {
        std::ofstream out(dir.file("RamSetup.asm"), std::ios::binary);
        for (int i = 1; i <= n; ++i)
            out << (i % 7 == 0 ? " " : "") << i % 250 << (i % 5 == 0 ? " " : "") << "\r\n";
        return dir.file("RamSetup.asm");
    }
    bool send(const std::string& file, bool erase = false,
              std::int32_t from = service::kInizioImmagine) {
        return service::InviaFileNVRAM1(host, file, erase, profilo, kAddresses, from);
    }
    ImageFolder dir;
    InstrumentRig rig;
    TestHost host;
    provisioning::CProfilo profilo;
};

TEST_F(FormatSend, TwentyFiveValuesAreTwoBlocksAndFiveSinglesThenTheHeader) {
    ASSERT_TRUE(send(writeImage(25)));
    EXPECT_EQ(tenByteWrites(rig), (Blocks{{46, range(1, 10)}, {56, range(11, 20)}}));
    const auto singles = byteWrites(rig);
    ASSERT_GE(singles.size(), 6u);
    // The image is followed by the header pointers, the first of them at 12.
    EXPECT_EQ(ByteWrites(singles.begin(), singles.begin() + 6),
              (ByteWrites{{66, 21}, {67, 22}, {68, 23}, {69, 24}, {70, 25}, {12, 0x10}}));
    const auto names = requestNames(rig);
    EXPECT_EQ(std::vector(names.begin(), names.begin() + 3), (Texts{"40", "40", "14"}));
    EXPECT_EQ(host.controller().transferCount(), 25 + static_cast<long>(singles.size()) - 5);
    EXPECT_TRUE(host.boxes.boxes.empty());
}

TEST_F(FormatSend, AFailedBlockIsOfferedAgainAndRetryResendsIt) {
    // Both attempts of the serial link at the second block go unanswered.
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer, 0, {}, 1});
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer});
    host.boxes.answers = {MessageResult::Retry};
    ASSERT_TRUE(send(writeImage(20)));
    ASSERT_EQ(host.boxes.texts(), Texts{"Error. Try again?"});
    EXPECT_EQ(host.boxes.boxes[0].buttons, platform::MessageButtons::RetryCancel);
    const auto blocks = tenByteWrites(rig);
    ASSERT_GE(blocks.size(), 3u);
    EXPECT_EQ(blocks.back().first, 56);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(rig.instrument.nvram()[46 + i], i + 1);
}

TEST_F(FormatSend, AFileThatIsNotAnImageSendsNothing) {
    std::ofstream(writeImage(12), std::ios::app) << "300\r\n";
    EXPECT_FALSE(send(dir.file("RamSetup.asm"), true));
    EXPECT_FALSE(send(dir.file("none.asm"), true));
    EXPECT_TRUE(rig.instrument.requests().empty());
}

// A cell that keeps a wrong bit passes the frame check (Verification.AStuckByte...); verified,
// the block fails with the cell's address and the technician is offered the retry box.
TEST_F(FormatSend, VerifiedAFaultyCellInTheImageFailsTheBlockWithItsAddress) {
    rig.instrument.setFaultyCell(58);
    // Verified, each block is read back with one block read.
    rig.control.nvram().verify = true;
    host.boxes.answers = {MessageResult::Cancel};
    EXPECT_FALSE(send(writeImage(20)));
    const auto names = requestNames(rig);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(Texts(names.begin(), names.begin() + 4), (Texts{"40", "41", "40", "41"}));
    EXPECT_EQ(host.boxes.texts(), Texts{"Error. Try again?"});
    const auto& m = rig.control.nvram().verifyFailure;
    ASSERT_TRUE(m);
    EXPECT_EQ(std::tie(m->write, m->address, m->expected, m->found),
              std::make_tuple(true, 58, 13, 12));
}

}  // namespace
