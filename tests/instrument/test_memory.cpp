// NVRAM and flash operations: the frames they send and how they fail.
#include <gtest/gtest.h>

#include "instrument/progress_recorder.h"
#include "platform/protocol.h"
#include "support/frames.h"
#include "support/instrument_rig.h"

using platform::Bytes;
using sim::Fault;
using testing_support::frame;
using testing_support::InstrumentRig;

namespace {

class Memory : public ::testing::Test {
protected:
    void open(const char* profile, bool verify = false) {
        rig = std::make_unique<InstrumentRig>(profile);
        ASSERT_TRUE(rig->openSerial());
        rig->instrument.clearLog();
        rig->control.nvram().verify = verify;
    }
    const std::vector<Bytes>& requests() const { return rig->instrument.requests(); }
    std::unique_ptr<InstrumentRig> rig;
};

TEST_F(Memory, BlockReadOfTwentyBytesTakesTwoFramesAndFiveBytesOfTheSecond) {
    open("p36e51");
    auto& nv = rig->instrument.nvram();
    for (int i = 0; i < 40; ++i) nv[0x2000 + i] = static_cast<std::uint8_t>(i + 1);
    auto data = rig->control.ReadNVRamBytes(0x2000, 20);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(Bytes(data->begin(), data->end()), Bytes(nv.begin() + 0x2000, nv.begin() + 0x2014));
    EXPECT_EQ(requests(),
              (std::vector<Bytes>{frame({41, 0x00, 0x20, 0x00}), frame({41, 0x0F, 0x20, 0x00})}));
    // A short answer fails the read.
    rig->instrument.clearLog();
    rig->instrument.addFault({Fault::Kind::Replace, 0, {}, 0, Bytes(14, 0)});
    EXPECT_FALSE(rig->control.ReadNVRamBytes(0x2000, 20).has_value());
    EXPECT_EQ(requests().size(), 1u);
}

TEST_F(Memory, OlderInstrumentsReadByteByByteWithProgressThatCanStop) {
    open("p17e23");
    testing_support::ProgressRecorder progress(32);
    EXPECT_FALSE(rig->control.ReadNVRamBytes(0x100, 40, progress).has_value());
    EXPECT_EQ(progress.updates, (std::vector<long>{16, 32}));
    EXPECT_TRUE(rig->control.nvram().interrupted);
    EXPECT_EQ(requests().size(), 32u);
    EXPECT_EQ(requests()[0], frame({15, 0x00, 0x01, 0x00}));
    EXPECT_TRUE(rig->control.ReadNVRamBytes(0x100, 40).has_value());
    EXPECT_FALSE(rig->control.nvram().interrupted);
}

// The block frames of a write are followed by the format send tests.
TEST_F(Memory, BlockWriteReportsItsBytesAndStopsWhenAsked) {
    const struct {
        const char* profile;
        long stopAt;
        bool ok;
        std::vector<long> updates;
        std::size_t frames;
    } cases[] = {
        {"p36e51", 0, true, {10, 20, 21, 22, 23}, 5},
        {"p36e51", 20, false, {10, 20}, 2},
        {"p17e23", 3, false, {1, 2, 3}, 3},
    };
    for (const auto& k : cases) {
        open(k.profile);
        testing_support::ProgressRecorder progress(k.stopAt);
        EXPECT_EQ(rig->control.WriteNVRamBytes(0x3000, std::vector<std::uint8_t>(23, 9), progress),
                  k.ok);
        EXPECT_EQ(progress.updates, k.updates) << k.profile;
        EXPECT_EQ(rig->control.nvram().interrupted, !k.ok) << k.profile;
        EXPECT_EQ(requests().size(), k.frames) << k.profile;
    }
}

TEST_F(Memory, WordsStringsAndAddresses) {
    open("p36e51");
    ASSERT_TRUE(rig->control.WriteNVRam3Bytes(0x4000, 0x123456));
    EXPECT_EQ(requests(), (std::vector<Bytes>{frame({14, 0x00, 0x40, 0x00, 0x56}),
                                              frame({14, 0x01, 0x40, 0x00, 0x34}),
                                              frame({14, 0x02, 0x40, 0x00, 0x12})}));
    EXPECT_EQ(rig->control.ReadNVRam2Bytes(0x4000), 0x3456);
    EXPECT_EQ(rig->control.ReadNVRam3Bytes(0x4000), 0x123456);
    ASSERT_TRUE(rig->control.ScriviStringaNVRam(0x4100, "Città", 13));
    auto& nv = rig->instrument.nvram();
    EXPECT_EQ(Bytes(nv.begin() + 0x4100, nv.begin() + 0x4106),
              (Bytes{5, 'C', 'i', 't', 't', 0xE0}));
    EXPECT_EQ(rig->control.LeggiStringaNVRam(0x4100), "Città");
    std::copy_n(Bytes{127, 200, 0, 17}.begin(), 4, nv.begin() + 0x4200);
    EXPECT_EQ(rig->control.LeggiIndirizzoIP(0x4200), "127.200.0.17");
}

// The firmware update tests write and verify whole files; here what they do not reach.
TEST_F(Memory, FlashEraseOfAPageOnlyAndBitsThatDidNotProgramAreCaught) {
    open("p36e51");
    EXPECT_FALSE(rig->control.ClearFlash(0x1010));
    EXPECT_FALSE(rig->control.ClearFlash(-64));
    EXPECT_TRUE(requests().empty());
    ASSERT_TRUE(rig->control.ClearFlash(0x1000));
    EXPECT_EQ(requests().size(), 1u + 64u);  // one erase, then 32 pairs of masked reads
    EXPECT_EQ(requests()[0], frame({25, 0x00, 0x10, 0x00}));
    EXPECT_TRUE(rig->control.CloseWriteFlash());  // nothing open: nothing sent
    rig->instrument.flash()[0x2101] = 0x0F;       // not erased: 0xF0 cannot be programmed over it
    rig->control.OpenWriteFlash();
    rig->control.WriteFlash(0x2101, 0xF0);
    EXPECT_FALSE(rig->control.CloseWriteFlash());
    EXPECT_TRUE(rig->control.flash().FlashBloccoChiuso);
}

// --verify: writes read back, reads that followed a recovery read again, differences that stay
// reported with their address.
class Verified : public Memory {
protected:
    void SetUp() override { open("p36e51", true); }
    // The requests the instrument received for `address` (reads and writes).
    std::size_t requestsAt(std::int32_t address) const {
        std::size_t n = 0;
        for (const Bytes& r : requests())
            if (r.size() > 4 && r[1] != 1 && (r[2] | (r[3] << 8) | (r[4] << 16)) == address) ++n;
        return n;
    }
    // The stored byte at `address` is altered after the next `times` write answers, as a write
    // whose data was changed on its way in without the frame check noticing would leave it.
    void spoilWrites(std::int32_t address, int times) {
        rig->instrument.frameObserver = [this, address, times](bool request, const Bytes&,
                                                               std::uint8_t code) mutable {
            if (!request && (code == 14 || code == 40) && times-- > 0)
                rig->instrument.nvram()[address] ^= 0x10;
        };
    }
};

TEST_F(Verified, AWriteIsReadBackInOneBlockAndWrittenAgainWhenItDiffers) {
    spoilWrites(0x2000, 1);
    ASSERT_TRUE(rig->control.WriteNVRam1Byte(0x2000, 0x5A));
    EXPECT_EQ(rig->instrument.nvram()[0x2000], 0x5A);
    const Bytes write = frame({14, 0x00, 0x20, 0x00, 0x5A}), read = frame({41, 0x00, 0x20, 0x00});
    EXPECT_EQ(requests(), (std::vector<Bytes>{write, read, write, read}));
    EXPECT_FALSE(rig->control.nvram().verifyFailure);
}

TEST_F(Verified, OnlyReadsThatFollowedARecoveryAreReadAgain) {
    const Fault noAnswer(Fault::Kind::NoAnswer), wrong(Fault::Kind::Replace, 0, {}, 0, {0x43}),
        other(Fault::Kind::Replace, 0, {}, 0, {0x44});
    const struct {
        const char* what;
        std::vector<Fault> faults;
        std::size_t requests;
        std::optional<std::uint8_t> value;
    } cases[] = {
        {"clean: one read", {}, 1, 0x42},
        // The first attempt goes unanswered; the retry's answer is read again (and the line
        // stays suspect for the next reads, which are read again too).
        {"after a recovery: read again", {noAnswer}, 3, 0x42},
        // A wrong byte that passed the frame check after the recovery: the reads disagree, a
        // third agrees with the second.
        {"wrong after a recovery: a third read", {noAnswer, wrong}, 4, 0x42},
        // Three reads that never agree: no value, the difference kept.
        {"never agreeing: reported", {noAnswer, wrong, other}, 4, std::nullopt},
    };
    for (const auto& c : cases) {
        // On USB, whose recovery does not open the port again by its path: no identity check
        // comes between the attempts to take the faults.
        open("p36e51");
        rig->control.ChiudiPortaComunicazione();
        ASSERT_TRUE(rig->open(krnlink::Channel::Usb));
        rig->instrument.clearLog();
        rig->control.nvram().verify = true;
        rig->instrument.nvram()[0x2000] = 0x42;
        for (const Fault& f : c.faults) rig->instrument.addFault(f);
        EXPECT_EQ(rig->control.ReadNVRam1Byte(0x2000), c.value) << c.what;
        EXPECT_EQ(requestsAt(0x2000), c.requests) << c.what;
        EXPECT_EQ(rig->control.nvram().verifyFailure.has_value(), !c.value) << c.what;
    }
}

// An answer whose checksum stands for a sum of 0 or 1 is read again: the exchange tests over a
// pseudo-terminal and krnctl follow it.
}  // namespace
