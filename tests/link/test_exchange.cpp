// The frame exchange on each channel, checked byte for byte against the simulated instrument.
#include <gtest/gtest.h>

#include "support/rig.h"

using krnlink::Channel;
using sim::Fault;
using testing_support::bytes;
using testing_support::Rig;

namespace {

// The instrument's output on the wire since the log was cleared.
platform::Bytes instrumentBytes(const sim::SimInstrument& in) {
    platform::Bytes out;
    for (const auto& w : in.wire())
        if (!w.fromHost) out.push_back(w.value);
    return out;
}

void addFaults(sim::SimInstrument& in, Fault f, int frames) {
    for (int i = 0; i < frames; ++i) in.addFault(f);
}

class EveryChannel : public ::testing::TestWithParam<Channel> {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.open(GetParam()));
        rig.instrument.clearLog();
    }
    Rig rig;
};

INSTANTIATE_TEST_SUITE_P(Link, EveryChannel,
                         ::testing::Values(Channel::Serial, Channel::Usb, Channel::Ethernet),
                         [](const auto& info) {
                             return std::string(krnlink::channelName(info.param));
                         });

TEST_P(EveryChannel, OneByteReadIsTheDocumentedFrameAndItsAnswersAreAccepted) {
    struct Case {
        std::uint8_t value;
        platform::Bytes answerOnWire;
    };
    for (const Case& c :
         {Case{0x7F, bytes({0x02, 0x7F, 0x81})}, Case{0xFE, bytes({0x02, 0xFE, 0x01})}}) {
        rig.instrument.clearLog();
        rig.instrument.nvram()[0x123] = c.value;
        ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
        // An answer of CHK 1 (0xFE) is asked for again and taken when the two agree.
        ASSERT_EQ(rig.instrument.requests().size(), c.value == 0xFE ? 2u : 1u);
        EXPECT_EQ(rig.instrument.requests()[0], bytes({0x05, 0x0F, 0x23, 0x01, 0x00, 0x38}));
        const platform::Bytes out = instrumentBytes(rig.instrument);
        ASSERT_GE(out.size(), 3u);
        EXPECT_EQ(platform::Bytes(out.end() - 3, out.end()), c.answerOnWire);
        EXPECT_EQ(rig.link.BufferRx[0], 1);
        EXPECT_EQ(rig.link.BufferRx[1], c.value);
    }
}

TEST_P(EveryChannel, AnswerLengthMustBeOneToFifty) {
    const platform::Bytes fortyNine(49, 0xA5);
    struct Case {
        const char* what;
        Fault fault;
        bool accepted;
    };
    const Case cases[] = {
        {"LEN 0", {Fault::Kind::Len0}, false},
        {"LEN 51", {Fault::Kind::Len51}, false},
        {"LEN 50", {Fault::Kind::Replace, 0, {}, 0, fortyNine}, true},
        {"LEN 1", {Fault::Kind::Replace, 0, {}, 0, {}}, true},
    };
    for (const Case& c : cases) {
        rig.instrument.clearFaults();
        addFaults(rig.instrument, c.fault, 4);  // every attempt of every channel
        EXPECT_EQ(rig.exchange({15, 0x23, 0x01, 0x00}), c.accepted) << c.what;
        if (c.accepted) {
            EXPECT_EQ(rig.answerData(), c.fault.data) << c.what;
        }
    }
}

TEST_P(EveryChannel, AnyWrongEchoByteFailsTheAttemptChecksumIncluded) {
    for (int index = 0; index < 6; ++index) {
        rig.instrument.clearFaults();
        addFaults(rig.instrument, {Fault::Kind::WrongEcho, index}, 4);
        EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00})) << "echo byte " << index;
        // A single bad echo is overcome by the next attempt.
        rig.instrument.clearFaults();
        rig.instrument.addFault({Fault::Kind::WrongEcho, index});
        EXPECT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00})) << "echo byte " << index;
    }
}

TEST_P(EveryChannel, WrongChecksumOrMissingByteFailsTheExchange) {
    // Serial takes no second attempt once the LEN byte came; USB and Ethernet try again.
    const Fault faults[] = {{Fault::Kind::WrongChecksum}, {Fault::Kind::DropByte, 8}};
    for (const Fault& f : faults) {
        rig.instrument.clearFaults();
        addFaults(rig.instrument, f, 4);
        EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}));
    }
}

TEST_P(EveryChannel, CorruptedAnswerByteIsCaughtByTheChecksum) {
    // Serial makes no further attempt once the answer has begun; USB and Ethernet make none
    // with senzaRitentativi.
    rig.instrument.addFault({Fault::Kind::CorruptByte, 7});  // the data byte after LEN
    EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}, true));
}

TEST_P(EveryChannel, SlowButTimelyBytesAreWaitedFor) {
    rig.instrument.addFault({Fault::Kind::Stall, 0, std::chrono::milliseconds(650)});
    const auto t0 = rig.clock.now();
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}, true));
    EXPECT_NEAR(rig.elapsed(t0), 0.65, 0.01);
}

TEST(SerialExchange, MakesTwoAttemptsWhateverSenzaRitentativiSays) {
    for (bool senza : {false, true}) {
        Rig rig;
        ASSERT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
        rig.instrument.addFault({Fault::Kind::NoAnswer});
        EXPECT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}, senza));
        EXPECT_EQ(rig.instrument.requests().size(), 2u);
        addFaults(rig.instrument, {Fault::Kind::NoAnswer}, 3);
        rig.instrument.clearLog();
        EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}, senza));
        EXPECT_EQ(rig.instrument.requests().size(), 2u);
    }
}

TEST(SerialExchange, ResynchronisesBetweenAttempts) {
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    const int opens = rig.serial.opens(), closes = rig.serial.closes();
    rig.instrument.clearLog();
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));

    const platform::Bytes request = bytes({0x05, 0x0F, 0x23, 0x01, 0x00, 0x38});
    platform::Bytes expected = request;
    expected.push_back(0);                    // one zero, no echo check
    expected.insert(expected.end(), 256, 0);  // after the reopen: the zero burst
    expected.push_back(0);                    // one zero with echo check
    expected.insert(expected.end(), request.begin(), request.end());
    EXPECT_EQ(rig.instrument.hostBytes(), expected);
    EXPECT_EQ(rig.serial.closes(), closes + 1);
    EXPECT_EQ(rig.serial.opens(), opens + 1);
}

TEST(SerialExchange, FailedResynchronisationEndsTheExchange) {
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.clearLog();
    rig.instrument.setSilent(true);
    const auto t0 = rig.clock.now();
    EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}));
    // The first byte's echo never comes (0.7 s); the resync waits for its burst (0.7 s) and for
    // the last echo (0.7 s); no second attempt follows.
    EXPECT_NEAR(rig.elapsed(t0), 2.1, 0.01);
    platform::Bytes host = rig.instrument.hostBytes();
    EXPECT_EQ(std::count(host.begin(), host.end(), 0x05), 1);
}

TEST(SerialExchange, PortThatCannotOpenFailsAtOnce) {
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    rig.serial.close();
    rig.link.HandlePorta(&rig.serial);
    // The link reopens a closed port by itself...
    EXPECT_TRUE(rig.exchange({1}));
    // ...but a port it cannot reopen fails the exchange without waiting.
    sim::SimSerialPort other(rig.instrument, rig.clock, "/dev/elsewhere");
    rig.link.HandlePorta(&other);
    const auto t0 = rig.clock.now();
    EXPECT_FALSE(rig.exchange({1}));
    EXPECT_EQ(rig.elapsed(t0), 0.0);
    rig.link.HandlePorta(&rig.serial);
}

TEST(ByteWait, TimesOutAfterSevenTenthsOfASecondWithoutSpinning) {
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.setSilent(true);
    const auto t0 = rig.clock.now();
    EXPECT_FALSE(rig.link.AttendiByte(1));
    EXPECT_NEAR(rig.elapsed(t0), 0.7, 0.002);
    EXPECT_LT(rig.link.ConteggioAttesa, 10);  // the port's blocking wait, not a busy loop
}

TEST(Primitives, ComandoSempliceAndConfermaAndDimMaxBuffer) {
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.clearLog();
    ASSERT_TRUE(rig.link.ComandoSemplice(12, false));
    EXPECT_EQ(rig.instrument.requests().back(), bytes({0x02, 0x0C, 0x0E}));
    // 18/4 answers exactly one byte of value 1: confirmed; a refused lock answers 0.
    rig.link.BufferTx[0] = 2;
    rig.link.BufferTx[1] = 18;
    rig.link.BufferTx[2] = 4;
    EXPECT_TRUE(rig.link.ComandoConConferma());
    rig.instrument.setPressLockRefused(true);
    rig.link.BufferTx[0] = 2;
    EXPECT_FALSE(rig.link.ComandoConConferma());
    EXPECT_EQ(krnlink::FrameLink::DimMaxBuffer(), 50);
}

TEST(Primitives, ARequestIsCountedIntoBufferTxAndAnOverlongOneIsNeverSent) {
    Rig rig;
    auto head = [&](std::size_t n) {
        return platform::Bytes(rig.link.BufferTx.begin(),
                               rig.link.BufferTx.begin() + static_cast<std::ptrdiff_t>(n));
    };
    const std::uint8_t ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_TRUE(rig.link.prepare(krnlink::Request(40).address(0x123456).bytes(ten)));
    EXPECT_EQ(head(15), bytes({14, 40, 0x56, 0x34, 0x12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(rig.link.prepare(krnlink::Request(22, {9}).word(0x1234)));
    EXPECT_EQ(head(5), bytes({4, 22, 9, 0x34, 0x12}));

    ASSERT_TRUE(rig.openSerial());
    rig.instrument.clearLog();
    krnlink::Request longest(1);
    while (longest.payload().size() < krnlink::Request::kMaxBytes) longest.byte(0);
    EXPECT_TRUE(rig.link.prepare(longest));
    EXPECT_EQ(rig.link.BufferTx[0], krnlink::Request::kMaxBytes);
    EXPECT_FALSE(rig.link.exchange(longest.byte(0), false));
    EXPECT_EQ(rig.link.BufferTx[0], 0);
    EXPECT_TRUE(rig.instrument.requests().empty());
}

TEST(Primitives, AggiungiChecksumIncrementsTheCountAndAppendsChk) {
    Rig rig;
    rig.link.BufferTx[0] = 4;
    rig.link.BufferTx[1] = 15;
    rig.link.BufferTx[2] = 0x23;
    rig.link.BufferTx[3] = 0x01;
    rig.link.BufferTx[4] = 0x00;
    rig.link.AggiungiChecksum();
    EXPECT_EQ(rig.link.BufferTx[0], 5);
    EXPECT_EQ(rig.link.BufferTx[5], 0x38);
    // A sum whose low byte is 0 sends 1.
    rig.link.BufferTx = {};
    rig.link.BufferTx[0] = 1;
    rig.link.BufferTx[1] = 0xFE;
    rig.link.AggiungiChecksum();
    EXPECT_EQ(rig.link.BufferTx[2], 0x01);
}

}  // namespace
