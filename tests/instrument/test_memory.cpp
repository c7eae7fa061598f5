// NVRAM and flash operations: the frames they send and how they fail.
#include <gtest/gtest.h>

#include "instrument/progress_recorder.h"
#include "platform/protocol.h"
#include "support/frames.h"
#include "support/instrument_rig.h"

using platform::Bytes;
using testing_support::frame;
using testing_support::InstrumentRig;

namespace {

class Memory : public ::testing::Test {
protected:
    void open(const char* profile) {
        rig = std::make_unique<InstrumentRig>(profile);
        ASSERT_TRUE(rig->openSerial());
        rig->instrument.clearLog();
    }
    std::unique_ptr<InstrumentRig> rig;
};

TEST_F(Memory, BlockReadOfTwentyBytesTakesTwoFramesAndFiveBytesOfTheSecond) {
    open("p36e51");
    auto& nv = rig->instrument.nvram();
    for (int i = 0; i < 40; ++i) nv[0x2000 + i] = static_cast<std::uint8_t>(i + 1);
    auto data = rig->control.ReadNVRamBytes(0x2000, 20);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->size(), 20u);
    EXPECT_EQ(data->back(), 20);
    EXPECT_EQ(rig->instrument.requests(),
              (std::vector<Bytes>{frame({41, 0x00, 0x20, 0x00}), frame({41, 0x0F, 0x20, 0x00})}));
}

TEST_F(Memory, BlockReadFailsOnAShortAnswer) {
    open("p36e51");
    rig->instrument.addFault({sim::Fault::Kind::Replace, 0, {}, 0, Bytes(14, 0)});
    EXPECT_FALSE(rig->control.ReadNVRamBytes(0x2000, 20).has_value());
    EXPECT_EQ(rig->instrument.requests().size(), 1u);
}

TEST_F(Memory, OlderInstrumentsReadByteByByteWithProgressThatCanStop) {
    open("p17e23");
    testing_support::ProgressRecorder progress(32);
    EXPECT_FALSE(rig->control.ReadNVRamBytes(0x100, 40, progress).has_value());
    EXPECT_EQ(progress.updates, (std::vector<long>{16, 32}));
    EXPECT_TRUE(rig->control.nvram().interrupted);
    EXPECT_EQ(rig->instrument.requests().size(), 32u);
    EXPECT_EQ(rig->instrument.requests()[0], frame({15, 0x00, 0x01, 0x00}));
    EXPECT_TRUE(rig->control.ReadNVRamBytes(0x100, 40).has_value());
    EXPECT_FALSE(rig->control.nvram().interrupted);
}

TEST_F(Memory, BlockWriteOfTwentyThreeBytesIsTwoFramesAndThreeSingleWrites) {
    open("p36e51");
    std::vector<std::uint8_t> data(23);
    for (int i = 0; i < 23; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
    ASSERT_TRUE(rig->control.WriteNVRamBytes(0x3001, data));
    EXPECT_EQ(rig->instrument.requests(), (std::vector<Bytes>{
                                              frame({40, 0x01, 0x30, 0x00, 0xA0, 0xA1, 0xA2, 0xA3,
                                                     0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9}),
                                              frame({40, 0x0B, 0x30, 0x00, 0xAA, 0xAB, 0xAC, 0xAD,
                                                     0xAE, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3}),
                                              frame({14, 0x15, 0x30, 0x00, 0xB4}),
                                              frame({14, 0x16, 0x30, 0x00, 0xB5}),
                                              frame({14, 0x17, 0x30, 0x00, 0xB6}),
                                          }));
    auto& nv = rig->instrument.nvram();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), nv.begin() + 0x3001));
    EXPECT_TRUE(rig->control.WriteNVRamBytes(0x3001, {}));
}

TEST_F(Memory, OlderInstrumentsWriteByteByByte) {
    open("p17e23");
    ASSERT_TRUE(rig->control.WriteNVRamBytes(0x3000, std::vector<std::uint8_t>(12, 7)));
    EXPECT_EQ(rig->instrument.requests().size(), 12u);
    const std::uint8_t ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    rig->instrument.clearLog();
    ASSERT_TRUE(rig->control.WriteNVRam10Bytes(0x3000, ten));
    EXPECT_EQ(rig->instrument.requests().size(), 10u);
}

TEST_F(Memory, BlockWriteReportsItsBytesAndStopsWhenAsked) {
    struct Case {
        const char* profile;
        long stopAt;
        bool ok;
        std::vector<long> updates;
        std::size_t frames;
    };
    const Case cases[] = {
        {"p36e51", 0, true, {10, 20, 21, 22, 23}, 5},
        {"p36e51", 20, false, {10, 20}, 2},
        {"p17e23", 3, false, {1, 2, 3}, 3},
    };
    for (const Case& k : cases) {
        open(k.profile);
        testing_support::ProgressRecorder progress(k.stopAt);
        EXPECT_EQ(rig->control.WriteNVRamBytes(0x3000, std::vector<std::uint8_t>(23, 9), progress),
                  k.ok)
            << k.profile;
        EXPECT_EQ(progress.updates, k.updates) << k.profile;
        EXPECT_EQ(rig->control.nvram().interrupted, !k.ok) << k.profile;
        EXPECT_EQ(rig->instrument.requests().size(), k.frames) << k.profile;
    }
}

TEST_F(Memory, WordsStringsAndAddresses) {
    open("p36e51");
    ASSERT_TRUE(rig->control.WriteNVRam3Bytes(0x4000, 0x123456));
    EXPECT_EQ(rig->instrument.requests(),
              (std::vector<Bytes>{frame({14, 0x00, 0x40, 0x00, 0x56}),
                                  frame({14, 0x01, 0x40, 0x00, 0x34}),
                                  frame({14, 0x02, 0x40, 0x00, 0x12})}));
    EXPECT_EQ(rig->control.ReadNVRam2Bytes(0x4000), 0x3456);
    EXPECT_EQ(rig->control.ReadNVRam3Bytes(0x4000), 0x123456);
    ASSERT_TRUE(rig->control.ScriviStringaNVRam(0x4100, "Città", 13));
    auto& nv = rig->instrument.nvram();
    EXPECT_EQ(nv[0x4100], 5);
    EXPECT_EQ(nv[0x4105], 0xE0);  // Windows-1252 à
    EXPECT_EQ(rig->control.LeggiStringaNVRam(0x4100), "Città");
    nv[0x4200] = 127;
    nv[0x4201] = 200;
    nv[0x4202] = 0;
    nv[0x4203] = 17;
    EXPECT_EQ(rig->control.LeggiIndirizzoIP(0x4200), "127.200.0.17");
}

TEST_F(Memory, FlashEraseRefusesUnalignedAddressesWithoutAFrame) {
    open("p36e51");
    EXPECT_FALSE(rig->control.ClearFlash(0x1010));
    EXPECT_FALSE(rig->control.ClearFlash(-64));
    EXPECT_TRUE(rig->instrument.requests().empty());
    ASSERT_TRUE(rig->control.ClearFlash(0x1000));
    // One erase, then 32 pairs of masked reads.
    EXPECT_EQ(rig->instrument.requests().size(), 1u + 64u);
    EXPECT_EQ(rig->instrument.requests()[0], frame({25, 0x00, 0x10, 0x00}));
}

TEST_F(Memory, FlashBlocksCloseThemselvesAndVerifyThroughTheMask) {
    open("p36e51");
    rig->control.OpenWriteFlash();
    ASSERT_TRUE(rig->control.WriteFlash(0x2003, 0x11));
    EXPECT_TRUE(rig->instrument.requests().empty());     // buffered
    ASSERT_TRUE(rig->control.WriteFlash(0x200B, 0x22));  // 8 further: the first block goes out
    ASSERT_EQ(rig->instrument.requests().size(), 1u + 8u);
    EXPECT_EQ(rig->instrument.requests()[0],
              frame({26, 0x00, 0x20, 0x00, 0xFF, 0xFF, 0xFF, 0x11, 0xFF, 0xFF, 0xFF, 0xFF}));
    ASSERT_TRUE(rig->control.CloseWriteFlash());
    EXPECT_EQ(rig->instrument.flash()[0x2003], 0x11);
    EXPECT_EQ(rig->instrument.flash()[0x200B], 0x22);
    auto pair = rig->control.ReadFlash(0x2002);
    ASSERT_TRUE(pair.has_value());
    EXPECT_EQ(pair->first, 0xFF ^ instrument::kFlashReadMask);
    EXPECT_EQ(pair->second, 0x11 ^ instrument::kFlashReadMask);
    EXPECT_TRUE(rig->control.CloseWriteFlash());  // nothing open: nothing sent
}

TEST_F(Memory, FlashVerificationCatchesBitsThatDidNotProgram) {
    open("p36e51");
    rig->instrument.flash()[0x2001] = 0x0F;  // not erased: 0xF0 cannot be programmed over it
    rig->control.OpenWriteFlash();
    rig->control.WriteFlash(0x2001, 0xF0);
    EXPECT_FALSE(rig->control.CloseWriteFlash());
    EXPECT_TRUE(rig->control.flash().FlashBloccoChiuso);
}

}  // namespace
