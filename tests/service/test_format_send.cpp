// InviaFileNVRAM1: the image in blocks of ten and single bytes, exact frames on the wire, the
// header pointers in their order and conditions, the retry box, the differences-only mode.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <map>

#include "backup/memory_files.h"
#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/format/format_send.h"

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

// The numbers from `from` to `to`; several lists one after the other.
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

struct FormatSend : ::testing::Test {
    FormatSend() : rig("p36e51"), host(rig, folder().string()) {
        fs::create_directories(folder());
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    ~FormatSend() override { fs::remove_all(folder()); }
    // An image of 1000 values on the paced serial line: its time on the wire, the first frames.
    void expectWireTime(bool verify) {
        const std::string file = writeImage(1000);
        rig.instrument.setPacing(true);
        rig.control.nvram().verify = verify;
        const auto t0 = rig.clock.now();
        ASSERT_TRUE(send(file));
        const double seconds = std::chrono::duration<double>(rig.clock.now() - t0).count();
        const double byteTime = 10.0 / 115200, more = verify ? 29 : 0;
        const auto header = service::puntatoriTestata(36, 51, false, profilo, sampleAddresses());
        EXPECT_NEAR(
            seconds,
            (100 * (35 + more) + static_cast<double>(header.size()) * (17 + more)) * byteTime,
            1e-4);
        const auto names = requestNames(rig);
        EXPECT_EQ(std::vector(names.begin(), names.begin() + 4),
                  verify ? (Texts{"40", "41", "40", "41"}) : (Texts{"40", "40", "40", "40"}));
        EXPECT_FALSE(rig.control.nvram().verifyFailure);
    }
    bool send(const std::string& file, bool erase = false,
              std::int32_t from = service::kInizioImmagine) {
        return service::InviaFileNVRAM1(host, file, erase, profilo, sampleAddresses(), from);
    }
    InstrumentRig rig;
    TestHost host;
    provisioning::CProfilo profilo;
};

TEST_F(FormatSend, TwentyFiveValuesAreTwoBlocksAndFiveSingles) {
    const std::string file = writeImage(25);
    ASSERT_TRUE(send(file));
    EXPECT_EQ(tenByteWrites(rig),
              (std::vector<TenByteWrite>{{46, range(1, 10)}, {56, range(11, 20)}}));
    const auto singles = byteWrites(rig);
    ASSERT_GE(singles.size(), 5u);
    EXPECT_EQ(std::vector(singles.begin(), singles.begin() + 5),
              (ByteWrites{{66, 21}, {67, 22}, {68, 23}, {69, 24}, {70, 25}}));
    // The image is followed by the header pointers, the first of them at 12.
    EXPECT_EQ(singles[5], std::make_pair(12, 0x10));
    // Every frame was one of these two writes, in this order: blocks, singles, header.
    const auto names = requestNames(rig);
    EXPECT_EQ(std::vector(names.begin(), names.begin() + 3), (Texts{"40", "40", "14"}));
    EXPECT_EQ(host.controller().transferCount(), 25 + static_cast<long>(singles.size()) - 5);
    EXPECT_TRUE(host.boxes.boxes.empty());
}

TEST_F(FormatSend, StartAddressSkipsTheBytesBeforeItAndAlignsTheBlocksToIt) {
    const std::string file = writeImage(25);
    ASSERT_TRUE(send(file, false, 50));
    EXPECT_EQ(tenByteWrites(rig),
              (std::vector<TenByteWrite>{{50, range(5, 14)}, {60, range(15, 24)}}));
    EXPECT_EQ(byteWrites(rig).front(), std::make_pair(70, 25));
}

TEST_F(FormatSend, AFailedBlockIsOfferedAgainAndRetryResendsIt) {
    const std::string file = writeImage(20);
    // Both attempts of the serial link at the second block go unanswered.
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer, 0, {}, 1});
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer});
    host.boxes.answers = {MessageResult::Retry};
    ASSERT_TRUE(send(file));
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
    EXPECT_FALSE(send(file, true));
    EXPECT_TRUE(byteWrites(rig).empty());
    // The first block, once: after the port was opened again the instrument did not say who it
    // is, so the link's second attempt was not made.
    EXPECT_EQ(tenByteWrites(rig), (std::vector<TenByteWrite>{{46, range(1, 10)}}));
}

TEST_F(FormatSend, TheTechniciansCancelStopsWithoutAsking) {
    const std::string file = writeImage(40);
    host.cancelAfterEvents = 3;  // Cancel pressed while the third block is reported
    EXPECT_FALSE(send(file, true));
    EXPECT_TRUE(host.controller().Annullando());
    EXPECT_TRUE(host.boxes.boxes.empty());
    EXPECT_EQ(tenByteWrites(rig).size(), 3u);
    EXPECT_TRUE(byteWrites(rig).empty());
}

TEST_F(FormatSend, AFileThatIsNotAnImageSendsNothing) {
    const std::string file = writeImage(12);
    std::ofstream(file, std::ios::app) << "300\r\n";
    EXPECT_FALSE(send(file, true));
    EXPECT_FALSE(send((folder() / "none.asm").string(), true));
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
    std::string expected = backup::differenceLine(50, 5, 99) + "\r\n";
    for (const auto& b : service::puntatoriTestata(36, 51, true, profilo, a))
        if (before[b.indirizzo] != b.valore)
            expected += backup::differenceLine(b.indirizzo, b.valore, before[b.indirizzo]) + "\r\n";
    EXPECT_EQ(readFile((folder() / "Diff.asm").string()), expected);
}

TEST(HeaderPointers, OrderAndConditionsPerGeneration) {
    const auto a = sampleAddresses();
    provisioning::CProfilo p;
    p.NumeroLavoriStory = 2;
    const std::vector<int> story = range(a.fineLavori, a.fineLavori + 7);
    const auto first = range(12, 20), texts = range(21, 37), jobs = range(44, 45);
    const auto fb = range(42, 43), second = range(212, 215);
    const auto newer = cat({first, range(38, 43), texts, jobs, second, story, {a.blocco226}});
    const std::tuple<std::int16_t, std::int16_t, bool, std::vector<int>> cases[] = {
        {9, 11, true, cat({first, texts, fb, jobs, second})},
        {9, 10, true, cat({first, texts, fb, jobs})},  // old, no second language
        {30, 39, true, cat({first, texts, fb, jobs, range(55, 57), second, story})},
        {33, 46, true, cat({first, texts, fb, jobs, second, story})},
        {34, 47, true, newer},
        {36, 51, true, newer},
        {39, 1060, true, newer},
        {36, 51, false, cat({range(12, 17), texts, jobs, second})},  // without erase
        {30, 39, false, cat({range(12, 17), texts, fb, jobs, second})},
    };
    for (const auto& [protocollo, estensioni, erase, expected] : cases) {
        std::vector<int> got;
        for (const auto& b : service::puntatoriTestata(protocollo, estensioni, erase, p, a))
            got.push_back(b.indirizzo);
        EXPECT_EQ(got, expected) << protocollo << "/" << estensioni << " " << erase;
    }
}

TEST(HeaderPointers, ValuesAreLittleEndianWithTheFixedBytes) {
    const auto a = sampleAddresses();
    provisioning::CProfilo p;
    std::map<int, int> v;
    for (const auto& b : service::puntatoriTestata(36, 51, true, p, a)) v[b.indirizzo] = b.valore;
    const auto word = [&](int at, int bytes) {
        int x = 0;
        for (int i = bytes - 1; i >= 0; --i) x = x * 256 + v[at + i];
        return x;
    };
    EXPECT_EQ((std::vector<int>{word(12, 2), word(16, 2), word(18, 3), word(38, 3), word(41, 3),
                                word(26, 2), word(28, 2), word(30, 2), word(36, 2), word(44, 2),
                                word(212, 2), word(214, 2)}),
              (std::vector<int>{a.font8x10, a.risorse, a.fineLavori, a.blocco226, a.fineLavoriFB,
                                a.menuPrincipale, a.tabellaTesti1, a.icone, 0xFFFF, a.lavoro1,
                                a.menuSecondo, a.tabellaTesti2}));
    EXPECT_EQ(v[21] + v[22] + v[25] + v[32] + v[35], 0);
}

// On the paced serial line: 100 blocks of ten (16 request bytes sent and echoed, 3 answer bytes:
// 35 byte times each), then the single bytes of the header (7 request bytes, 3 answer bytes: 17
// byte times). krnctl format --verify reads each write back with one block read (29 byte times
// more: 6 request bytes sent and echoed, 17 answer bytes).
TEST_F(FormatSend, OnThePacedSerialLineTheImageTakesItsWireTime) {
    expectWireTime(false);
}

TEST_F(FormatSend, VerifiedEveryWriteIsReadBackWithOneBlockRead) {
    expectWireTime(true);
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
        EXPECT_EQ(send(file), !verify);
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
