// A late answer is never taken for the next request's: once an attempt has failed, the link
// checks the line for stray bytes before each request and after each answer until an exchange
// comes through clean.
#include <gtest/gtest.h>

#include "support/rig.h"

using krnlink::Channel;
using sim::Fault;
using testing_support::bytes;
using testing_support::Rig;

namespace {

constexpr std::uint32_t kFirst = 0x123, kSecond = 0x124;
constexpr std::uint8_t kFirstValue = 0x11, kSecondValue = 0x22;

// Reads the byte at `address` and gives it, or nothing when the exchange fails.
std::optional<std::uint8_t> read(Rig& rig, std::uint32_t address, bool senza = false) {
    if (!rig.exchange(
            {15, static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8),
             static_cast<std::uint8_t>(address >> 16)},
            senza))
        return std::nullopt;
    return rig.answerData().at(0);
}

class LateAnswer : public ::testing::TestWithParam<Channel> {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.open(GetParam()));
        rig.instrument.nvram()[kFirst] = kFirstValue;
        rig.instrument.nvram()[kSecond] = kSecondValue;
        rig.instrument.clearLog();
    }
    int attempts() const { return GetParam() == Channel::Ethernet ? 4 : 2; }
    // The first read gives up: its first answer is held back until after the echo of the
    // request that follows all its attempts, and the other attempts go unanswered.
    void holdFirstAnswerPastTheExchange() {
        rig.instrument.addFault({Fault::Kind::Late, attempts() - 1});
        for (int i = 1; i < attempts(); ++i) rig.instrument.addFault({Fault::Kind::NoAnswer});
    }
    Rig rig;
};

INSTANTIATE_TEST_SUITE_P(Link, LateAnswer,
                         ::testing::Values(Channel::Serial, Channel::Usb, Channel::Ethernet),
                         [](const auto& info) {
                             return std::string(krnlink::channelName(info.param));
                         });

TEST_P(LateAnswer, IsNeverTakenForTheNextRequestsAnswer) {
    holdFirstAnswerPastTheExchange();
    EXPECT_FALSE(read(rig, kFirst));
    EXPECT_TRUE(rig.link.lineSuspect());
    // The next read sees the stale answer come first and its own right behind it: the surplus
    // fails the attempt, the channel recovers, and the next attempt reads the right byte.
    EXPECT_EQ(read(rig, kSecond), kSecondValue);
    EXPECT_EQ(read(rig, kFirst), kFirstValue);
}

TEST_P(LateAnswer, StrayBytesBeforeTheRequestAreDrainedOnASuspectLine) {
    // An answer that stalls past the wait limit arrives between two exchanges.
    const auto stall = std::chrono::milliseconds(GetParam() == Channel::Ethernet ? 1100 : 800);
    for (int i = 0; i < attempts(); ++i) rig.instrument.addFault({Fault::Kind::Stall, 0, stall});
    read(rig, kFirst);
    rig.instrument.clearFaults();
    rig.clock.advance(std::chrono::seconds(2));
    EXPECT_EQ(read(rig, kSecond), kSecondValue);
}

TEST_P(LateAnswer, CheckingCostsTheQuietWindowsOnlyUntilAnExchangeIsClean) {
    const auto timeRead = [&] {
        const auto t0 = rig.clock.now();
        EXPECT_TRUE(read(rig, kSecond));
        return rig.elapsed(t0);
    };
    const double clean = timeRead();
    for (int i = 0; i < attempts(); ++i) rig.instrument.addFault({Fault::Kind::NoAnswer});
    EXPECT_FALSE(read(rig, kFirst));
    // No late answer comes: each checked exchange waits the quiet window twice; once enough
    // have come through clean, no exchange waits at all.
    for (int i = 0; i < krnlink::FrameLink::kCleanExchangesToTrust; ++i) {
        EXPECT_TRUE(rig.link.lineSuspect());
        const double checked = timeRead();
        EXPECT_GT(checked, clean + 0.009);
        EXPECT_LT(checked, clean + 0.021);
    }
    EXPECT_FALSE(rig.link.lineSuspect());
    EXPECT_DOUBLE_EQ(timeRead(), clean);
}

TEST_P(LateAnswer, TheCheckOutlivesTheConversation) {
    // The late answer is still held when the next conversation opens; its configuration read
    // must not take it either.
    holdFirstAnswerPastTheExchange();
    EXPECT_FALSE(read(rig, kFirst));
    rig.link.ChiudiPortaComunicazione();
    EXPECT_TRUE(rig.link.lineSuspect());
    ASSERT_TRUE(rig.open(GetParam()));
    EXPECT_FALSE(rig.instrument.holdingAnswer());
    EXPECT_EQ(read(rig, kFirst), kFirstValue);
}

TEST_P(LateAnswer, IsNotTakenBehindARequestTheInstrumentSplit) {
    // The failed read's answer is held. The next request's echo of its middle address byte
    // comes 150 ms late, so its high address byte leaves after a pause; the instrument has
    // dropped the frame by then and takes that byte, 01, for the start of a frame [01 CHK]
    // that ends with the request. That frame fails its checksum and is not answered, but it
    // releases the held answer, which comes alone: no surplus gives it away. The pause does.
    rig.instrument.nvram()[0x10124] = 0x33;
    holdFirstAnswerPastTheExchange();
    EXPECT_FALSE(read(rig, kFirst));
    rig.instrument.addFault(
        {Fault::Kind::DelayByte, 3, std::chrono::milliseconds(150), 0});  // echo of 0x01
    EXPECT_EQ(read(rig, 0x10124), 0x33);
    EXPECT_FALSE(rig.instrument.holdingAnswer());
}

TEST_P(LateAnswer, AnAnswerHeldPastACleanExchangeIsStillCaught) {
    // The held answer waits for the echo of the third request after its own: the retry of
    // the failed read comes through clean, and the read after it still must not take it.
    rig.instrument.addFault({Fault::Kind::Late, 2});
    EXPECT_EQ(read(rig, kFirst), kFirstValue);
    EXPECT_EQ(read(rig, kSecond), kSecondValue);
    EXPECT_EQ(read(rig, kSecond), kSecondValue);
    EXPECT_FALSE(rig.instrument.holdingAnswer());
}

TEST(LateAnswerSimulator, AHeldAnswerLeavesRightAfterTheEchoOfTheNextRequest) {
    // Ethernet makes a single attempt with senzaRitentativi, so the held answer outlives it.
    Rig rig;
    ASSERT_TRUE(rig.openEthernet());
    rig.instrument.nvram()[kFirst] = kFirstValue;
    rig.instrument.nvram()[kSecond] = kSecondValue;
    rig.instrument.addFault({Fault::Kind::Late});
    EXPECT_FALSE(read(rig, kFirst, true));
    EXPECT_TRUE(rig.instrument.holdingAnswer());
    rig.instrument.clearLog();
    // With a single attempt the surplus fails the exchange; it never returns the held byte.
    EXPECT_FALSE(read(rig, kSecond, true));
    EXPECT_FALSE(rig.instrument.holdingAnswer());
    // The echo of the request, the held answer, the request's own answer.
    platform::Bytes out;
    for (const auto& w : rig.instrument.wire())
        if (!w.fromHost) out.push_back(w.value);
    const platform::Bytes tail =
        bytes({0x05, 0x0F, 0x24, 0x01, 0x00, 0x39, 0x02, 0x11, 0x13, 0x02, 0x22, 0x24});
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(platform::Bytes(out.begin(), out.begin() + tail.size()), tail);
    EXPECT_EQ(read(rig, kSecond, true), kSecondValue);
}

TEST(LateAnswerPaced, AFaultFreeReadTakesExactlyTheWireTime) {
    // Without a failure there is no extra wait: a one-byte read on the paced serial line is
    // 6 request bytes each sent and echoed, then 3 answer bytes.
    Rig rig;
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.setPacing(true);
    const auto t0 = rig.clock.now();
    ASSERT_TRUE(read(rig, kFirst));
    EXPECT_NEAR(rig.elapsed(t0), (2 * 6 + 3) * 86.806e-6, 1e-6);
}

}  // namespace
