// The frame exchange on each channel against the simulated instrument: the answers it refuses,
// the serial resynchronisation byte for byte, the requests it never sends. The exchanges that
// come through are followed by the end-to-end tests over a pseudo-terminal and loopback UDP.
#include <gtest/gtest.h>

#include "support/rig.h"

using krnlink::Channel;
using platform::Bytes;
using sim::Fault;
using testing_support::bytes;
using testing_support::Rig;

namespace {

const Bytes kRequest = bytes({0x05, 0x0F, 0x23, 0x01, 0x00, 0x38});

class EveryChannel : public ::testing::TestWithParam<Channel> {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.open(GetParam()));
        rig.instrument.clearLog();
    }
    // The one-byte read at 0x123 with `fault` on as many attempts as any channel makes.
    bool readWith(const Fault& fault, bool senzaRitentativi = false, int frames = 4) {
        rig.instrument.clearFaults();
        for (int i = 0; i < frames; ++i) rig.instrument.addFault(fault);
        return rig.exchange({15, 0x23, 0x01, 0x00}, senzaRitentativi);
    }
    Rig rig;
};

INSTANTIATE_TEST_SUITE_P(Link, EveryChannel,
                         ::testing::Values(Channel::Serial, Channel::Usb, Channel::Ethernet),
                         [](const auto& info) {
                             return std::string(krnlink::channelName(info.param));
                         });

TEST_P(EveryChannel, AnswerLengthMustBeOneToFifty) {
    const Bytes fortyNine(49, 0xA5);
    const std::pair<Fault, bool> cases[] = {
        {{Fault::Kind::Len0}, false},
        {{Fault::Kind::Len51}, false},
        {{Fault::Kind::Replace, 0, {}, 0, fortyNine}, true},  // LEN 50
        {{Fault::Kind::Replace, 0, {}, 0, {}}, true},         // LEN 1
    };
    for (const auto& [fault, accepted] : cases) {
        EXPECT_EQ(readWith(fault), accepted) << fault.data.size();
        if (accepted) {
            EXPECT_EQ(rig.answerData(), fault.data);
        }
    }
}

TEST_P(EveryChannel, AnyWrongEchoByteFailsTheAttemptChecksumIncluded) {
    for (int index = 0; index < 6; ++index) {
        EXPECT_FALSE(readWith({Fault::Kind::WrongEcho, index})) << "echo byte " << index;
        // A single bad echo is overcome by the next attempt.
        EXPECT_TRUE(readWith({Fault::Kind::WrongEcho, index}, false, 1)) << "echo byte " << index;
    }
}

TEST_P(EveryChannel, WrongChecksumMissingByteOrCorruptedAnswerByteFailsTheExchange) {
    // Serial takes no second attempt once the LEN byte came; USB and Ethernet try again.
    EXPECT_FALSE(readWith({Fault::Kind::WrongChecksum}));
    EXPECT_FALSE(readWith({Fault::Kind::DropByte, 8}));
    // The data byte after LEN: serial makes no further attempt once the answer has begun; USB
    // and Ethernet make none with senzaRitentativi.
    EXPECT_FALSE(readWith({Fault::Kind::CorruptByte, 7}, true, 1));
}

TEST(SerialExchange, ResynchronisesBetweenAttempts) {
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    const int opens = rig.serial.opens(), closes = rig.serial.closes();
    rig.instrument.clearLog();
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    Bytes expected = kRequest;
    expected.push_back(0);                    // one zero, no echo check
    expected.insert(expected.end(), 256, 0);  // after the reopen: the zero burst
    expected.push_back(0);                    // one zero with echo check
    expected.insert(expected.end(), kRequest.begin(), kRequest.end());
    EXPECT_EQ(rig.instrument.hostBytes(), expected);
    EXPECT_EQ(std::pair(rig.serial.closes(), rig.serial.opens()), std::pair(closes + 1, opens + 1));
}

TEST(SerialExchange, FailedResynchronisationEndsTheExchangeAndByteWaitsDoNotSpin) {
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.clearLog();
    rig.instrument.setSilent(true);
    const auto t0 = rig.clock.now();
    EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}));
    // The first byte's echo never comes (0.7 s); the resync waits for its burst (0.7 s) and for
    // the last echo (0.7 s); no second attempt follows.
    EXPECT_NEAR(rig.elapsed(t0), 2.1, 0.01);
    const Bytes host = rig.instrument.hostBytes();
    EXPECT_EQ(std::count(host.begin(), host.end(), 0x05), 1);
    // A byte wait times out after 0.7 s in the port's blocking wait, not in a busy loop.
    const auto t1 = rig.clock.now();
    EXPECT_FALSE(rig.link.AttendiByte(1));
    EXPECT_NEAR(rig.elapsed(t1), 0.7, 0.002);
    EXPECT_LT(rig.link.ConteggioAttesa, 10);
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

TEST(Primitives, ARequestIsCountedIntoBufferTxAndAnOverlongOneIsNeverSent) {
    Rig rig;
    const auto head = [&](std::size_t n) {
        return Bytes(rig.link.BufferTx.begin(),
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
    EXPECT_EQ(krnlink::FrameLink::DimMaxBuffer(), 50);
}

}  // namespace
