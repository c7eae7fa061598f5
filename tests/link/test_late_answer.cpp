// A late answer is never taken for the next request's: once an attempt has failed, the link
// checks the line for stray bytes before each request and after each answer until an exchange
// comes through clean. The held answer on the next read, and after a reopen, is followed over the
// real adapters by the end-to-end tests; here the cost of the checks and a split request.
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

}  // namespace
