// InviaFileNVRAM1: the image in blocks of ten and single bytes, exact frames on the wire, the
// header pointers in their order and conditions, the retry box, the differences-only mode.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "backup/memory_files.h"
#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/format/format_send.h"
#include "support/test_host.h"

using namespace testing_support;
namespace fs = std::filesystem;
using platform::MessageResult;

namespace {

fs::path folder() {
    return fs::temp_directory_path() / ("krn-format-send-" + std::to_string(::getpid()));
}

// An image file of n values 1, 2, 3 ... (modulo 250) with blanks around some of them.
std::string writeImage(int n) {
    fs::create_directories(folder());
    const fs::path path = folder() / "RamSetup.asm";
    std::ofstream out(path, std::ios::binary);
    for (int i = 1; i <= n; ++i)
        out << (i % 7 == 0 ? " " : "") << i % 250 << (i % 5 == 0 ? " " : "") << "\r\n";
    return path.string();
}

provisioning::IndirizziImmagine sampleAddresses() {
    provisioning::IndirizziImmagine a;
    a.font8x10 = 0x0410;
    a.font6x6 = 0x0920;
    a.risorse = 768;
    a.menuPrincipale = 0x3000;
    a.menuSecondo = 0x5000;
    a.tabellaTesti1 = 0x6100;
    a.tabellaTesti2 = 0x6200;
    a.icone = 0x6000;
    a.lavoro1 = 0x6300;
    a.fineLavori = 452768;
    a.blocco226 = 452542;
    a.fineLavoriFB = 452542;
    a.fine = 0x6300;
    return a;
}

struct TenByteWrite {
    int address;
    std::vector<int> data;
    bool operator==(const TenByteWrite&) const = default;
};
std::vector<TenByteWrite> tenByteWrites(const InstrumentRig& rig) {
    std::vector<TenByteWrite> out;
    for (const auto& r : rig.instrument.requests())
        if (r.size() == 16 && r[1] == 40)
            out.push_back(
                {r[2] | r[3] << 8 | r[4] << 16, std::vector<int>(r.begin() + 5, r.end() - 1)});
    return out;
}

struct FormatSend : ::testing::Test {
    FormatSend() : rig("p36e51"), host(rig, folder().string()) {
        fs::create_directories(folder());
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    ~FormatSend() override { fs::remove_all(folder()); }
    InstrumentRig rig;
    TestHost host;
    provisioning::CProfilo profilo;
};

TEST_F(FormatSend, TwentyFiveValuesAreTwoBlocksAndFiveSingles) {
    const std::string file = writeImage(25);
    ASSERT_TRUE(service::InviaFileNVRAM1(host, file, false, profilo, sampleAddresses()));
    std::vector<int> first(10), second(10);
    for (int i = 0; i < 10; ++i) first[i] = i + 1, second[i] = i + 11;
    EXPECT_EQ(tenByteWrites(rig), (std::vector<TenByteWrite>{{46, first}, {56, second}}));
    const auto singles = byteWrites(rig);
    ASSERT_GE(singles.size(), 5u);
    EXPECT_EQ(std::vector(singles.begin(), singles.begin() + 5),
              (std::vector<std::pair<int, int>>{{66, 21}, {67, 22}, {68, 23}, {69, 24}, {70, 25}}));
    // The image is followed by the header pointers, the first of them at 12.
    EXPECT_EQ(singles[5], std::make_pair(12, 0x10));
    // Every frame was one of these two writes, in this order: blocks, singles, header.
    const auto names = requestNames(rig);
    EXPECT_EQ(std::vector(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"40", "40", "14"}));
    EXPECT_EQ(host.controller().transferCount(), 25 + static_cast<long>(singles.size()) - 5);
    EXPECT_TRUE(host.boxes.boxes.empty());
}

TEST_F(FormatSend, StartAddressSkipsTheBytesBeforeItAndAlignsTheBlocksToIt) {
    const std::string file = writeImage(25);
    ASSERT_TRUE(service::InviaFileNVRAM1(host, file, false, profilo, sampleAddresses(), 50));
    const auto blocks = tenByteWrites(rig);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].address, 50);
    EXPECT_EQ(blocks[0].data.front(), 5);
    EXPECT_EQ(blocks[1].address, 60);
    EXPECT_EQ(byteWrites(rig).front(), std::make_pair(70, 25));
}

TEST_F(FormatSend, AFailedBlockIsOfferedAgainAndRetryResendsIt) {
    const std::string file = writeImage(20);
    // Both attempts of the serial link at the second block go unanswered.
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer, 0, {}, 1});
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer});
    host.boxes.answers = {MessageResult::Retry};
    ASSERT_TRUE(service::InviaFileNVRAM1(host, file, false, profilo, sampleAddresses()));
    ASSERT_EQ(host.boxes.boxes.size(), 1u);
    EXPECT_EQ(host.boxes.boxes[0].text, "Error. Try again?");
    EXPECT_EQ(host.boxes.boxes[0].buttons, platform::MessageButtons::RetryCancel);
    const auto blocks = tenByteWrites(rig);
    ASSERT_GE(blocks.size(), 3u);
    EXPECT_EQ(blocks.back().address, 56);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(rig.instrument.nvram()[46 + i], i + 1);
}

TEST_F(FormatSend, CancelOnTheRetryBoxEndsTheSendWithNoHeader) {
    const std::string file = writeImage(20);
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer});
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer});
    host.boxes.answers = {MessageResult::Cancel};
    EXPECT_FALSE(service::InviaFileNVRAM1(host, file, true, profilo, sampleAddresses()));
    EXPECT_TRUE(byteWrites(rig).empty());
    // The first block, once: after the port was opened again the instrument did not say who it
    // is, so the link's second attempt was not made.
    const auto blocks = tenByteWrites(rig);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].address, 46);
}

TEST_F(FormatSend, TheTechniciansCancelStopsWithoutAsking) {
    const std::string file = writeImage(40);
    host.cancelAfterEvents = 3;  // Cancel pressed while the third block is reported
    EXPECT_FALSE(service::InviaFileNVRAM1(host, file, true, profilo, sampleAddresses()));
    EXPECT_TRUE(host.controller().Annullando());
    EXPECT_TRUE(host.boxes.boxes.empty());
    EXPECT_EQ(tenByteWrites(rig).size(), 3u);
    EXPECT_TRUE(byteWrites(rig).empty());
}

TEST_F(FormatSend, AFileThatIsNotAnImageSendsNothing) {
    const std::string file = writeImage(12);
    std::ofstream(file, std::ios::app) << "300\r\n";
    EXPECT_FALSE(service::InviaFileNVRAM1(host, file, true, profilo, sampleAddresses()));
    EXPECT_FALSE(service::InviaFileNVRAM1(host, (folder() / "none.asm").string(), true, profilo,
                                          sampleAddresses()));
    EXPECT_TRUE(rig.instrument.requests().empty());
}

TEST_F(FormatSend, DifferencesOnlyWritesNothingAndLogsEveryDifferingByte) {
    const std::string file = writeImage(12);
    auto& nv = rig.instrument.nvram();
    for (int i = 0; i < 12; ++i) nv[46 + i] = static_cast<std::uint8_t>(i + 1);
    nv[50] = 99;  // differs from 5
    const auto before = nv;
    host.setSoloDifferenze(true);
    const auto a = sampleAddresses();
    ASSERT_TRUE(service::InviaFileNVRAM1(host, file, true, profilo, a));
    EXPECT_EQ(rig.instrument.nvram(), before);
    for (int c : rig.commands()) EXPECT_EQ(c, 15);
    std::ifstream in(folder() / "Diff.asm", std::ios::binary);
    std::ostringstream log;
    log << in.rdbuf();
    std::string expected = backup::differenceLine(50, 5, 99) + "\r\n";
    for (const auto& b : service::puntatoriTestata(36, 51, true, profilo, a))
        if (before[b.indirizzo] != b.valore)
            expected += backup::differenceLine(b.indirizzo, b.valore, before[b.indirizzo]) + "\r\n";
    EXPECT_EQ(log.str(), expected);
}

// The header pointers: which addresses, in which order, for each generation.
std::vector<int> range(int from, int to) {
    std::vector<int> r;
    for (int a = from; a <= to; ++a) r.push_back(a);
    return r;
}
std::vector<int> cat(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> r;
    for (const auto& p : parts) r.insert(r.end(), p.begin(), p.end());
    return r;
}

struct HeaderCase {
    const char* name;
    std::int16_t protocollo, estensioni;
    bool cancellaTutto;
    std::vector<int> expected;
};

TEST(HeaderPointers, OrderAndConditionsPerGeneration) {
    const auto a = sampleAddresses();
    provisioning::CProfilo p;
    p.NumeroLavoriStory = 2;
    const std::vector<int> story = range(a.fineLavori, a.fineLavori + 7);
    const std::vector<HeaderCase> cases = {
        {"p9e11", 9, 11, true,
         cat({range(12, 20), range(21, 37), range(42, 43), range(44, 45), range(212, 215)})},
        {"p9e10 (old, no second language)", 9, 10, true,
         cat({range(12, 20), range(21, 37), range(42, 43), range(44, 45)})},
        {"p30e39", 30, 39, true,
         cat({range(12, 20), range(21, 37), range(42, 43), range(44, 45), range(55, 57),
              range(212, 215), story})},
        {"p33e46", 33, 46, true,
         cat({range(12, 20), range(21, 37), range(42, 43), range(44, 45), range(212, 215), story})},
        {"p34e47", 34, 47, true,
         cat({range(12, 20),
              range(38, 43),
              range(21, 37),
              range(44, 45),
              range(212, 215),
              story,
              {a.blocco226}})},
        {"p36e51", 36, 51, true,
         cat({range(12, 20),
              range(38, 43),
              range(21, 37),
              range(44, 45),
              range(212, 215),
              story,
              {a.blocco226}})},
        {"p39e1060", 39, 1060, true,
         cat({range(12, 20),
              range(38, 43),
              range(21, 37),
              range(44, 45),
              range(212, 215),
              story,
              {a.blocco226}})},
        {"p36e51 without erase", 36, 51, false,
         cat({range(12, 17), range(21, 37), range(44, 45), range(212, 215)})},
        {"p30e39 without erase", 30, 39, false,
         cat({range(12, 17), range(21, 37), range(42, 43), range(44, 45), range(212, 215)})},
    };
    for (const auto& c : cases) {
        std::vector<int> got;
        for (const auto& b :
             service::puntatoriTestata(c.protocollo, c.estensioni, c.cancellaTutto, p, a))
            got.push_back(b.indirizzo);
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(HeaderPointers, ValuesAreLittleEndianWithTheFixedBytes) {
    const auto a = sampleAddresses();
    provisioning::CProfilo p;
    std::map<int, int> v;
    for (const auto& b : service::puntatoriTestata(36, 51, true, p, a)) v[b.indirizzo] = b.valore;
    EXPECT_EQ(v[12], 0x10);
    EXPECT_EQ(v[13], 0x04);
    EXPECT_EQ(v[16], 0x00);
    EXPECT_EQ(v[17], 0x03);
    EXPECT_EQ(v[18] | v[19] << 8 | v[20] << 16, a.fineLavori);
    EXPECT_EQ(v[38] | v[39] << 8 | v[40] << 16, a.blocco226);
    EXPECT_EQ(v[41] | v[42] << 8 | v[43] << 16, a.fineLavoriFB);
    EXPECT_EQ(v[26] | v[27] << 8, a.menuPrincipale);
    EXPECT_EQ(v[28] | v[29] << 8, a.tabellaTesti1);
    EXPECT_EQ(v[30] | v[31] << 8, a.icone);
    EXPECT_EQ(v[36], 255);
    EXPECT_EQ(v[37], 255);
    EXPECT_EQ(v[21] + v[22] + v[25] + v[32] + v[35], 0);
    EXPECT_EQ(v[44] | v[45] << 8, a.lavoro1);
    EXPECT_EQ(v[212] | v[213] << 8, a.menuSecondo);
    EXPECT_EQ(v[214] | v[215] << 8, a.tabellaTesti2);
}

}  // namespace

namespace {

TEST_F(FormatSend, OnThePacedSerialLineTheImageTakesItsWireTime) {
    // 100 blocks of ten (16 request bytes sent and echoed, 3 answer bytes: 35 byte times each),
    // then the single bytes of the header (7 request bytes, 3 answer bytes: 17 byte times).
    const std::string file = writeImage(1000);
    rig.instrument.setPacing(true);
    const auto t0 = rig.clock.now();
    ASSERT_TRUE(service::InviaFileNVRAM1(host, file, false, profilo, sampleAddresses()));
    const double seconds = std::chrono::duration<double>(rig.clock.now() - t0).count();
    const double byteTime = 10.0 / 115200;
    const auto header = service::puntatoriTestata(36, 51, false, profilo, sampleAddresses());
    EXPECT_NEAR(seconds, (100 * 35 + static_cast<double>(header.size()) * 17) * byteTime, 1e-4);
}

}  // namespace

namespace {

// krnctl format --verify: each ten-byte write is read back with one block read (29 byte times
// more: 6 request bytes sent and echoed, 17 answer bytes), each single byte too.
TEST_F(FormatSend, VerifiedEveryWriteIsReadBackWithOneBlockRead) {
    const std::string file = writeImage(1000);
    rig.instrument.setPacing(true);
    rig.control.nvram().verify = true;
    const auto t0 = rig.clock.now();
    ASSERT_TRUE(service::InviaFileNVRAM1(host, file, false, profilo, sampleAddresses()));
    const double seconds = std::chrono::duration<double>(rig.clock.now() - t0).count();
    const double byteTime = 10.0 / 115200;
    const auto header = service::puntatoriTestata(36, 51, false, profilo, sampleAddresses());
    EXPECT_NEAR(seconds,
                (100 * (35 + 29) + static_cast<double>(header.size()) * (17 + 29)) * byteTime,
                1e-4);
    const auto names = requestNames(rig);
    EXPECT_EQ(std::vector(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"40", "41", "40", "41"}));
    EXPECT_FALSE(rig.control.nvram().verifyFailure);
}

// A cell that keeps a wrong bit passes the frame check: without verification the image is
// written wrong and the send ends well; with it, the block fails with the cell's address and
// the technician is offered the retry box.
TEST_F(FormatSend, VerifiedAFaultyCellInTheImageFailsTheBlockWithItsAddress) {
    const std::string file = writeImage(20);
    rig.instrument.setFaultyCell(58);
    for (const bool verify : {false, true}) {
        rig.control.nvram().verify = verify;
        rig.control.nvram().verifyFailure.reset();
        host.boxes.boxes.clear();
        host.boxes.answers = {MessageResult::Cancel};
        EXPECT_EQ(service::InviaFileNVRAM1(host, file, false, profilo, sampleAddresses()), !verify);
        if (!verify) {
            EXPECT_TRUE(host.boxes.boxes.empty());
            continue;
        }
        ASSERT_EQ(host.boxes.boxes.size(), 1u);
        EXPECT_EQ(host.boxes.boxes[0].text, "Error. Try again?");
        const auto& m = rig.control.nvram().verifyFailure;
        ASSERT_TRUE(m);
        EXPECT_TRUE(m->write);
        EXPECT_EQ(m->address, 58);
        EXPECT_EQ(m->expected, 13);
        EXPECT_EQ(m->found, 12);
    }
}

}  // namespace
