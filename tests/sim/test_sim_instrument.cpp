// The simulated instrument at the byte level: what a real instrument is trusted to do.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/protocol.h"
#include "sim/profiles.h"
#include "sim/sim_instrument.h"
#include "support/frames.h"

namespace {

using namespace std::chrono_literals;
using platform::Bytes;
using testing_support::frame;

struct Sim {
    explicit Sim(const char* profile = "p36e51") : in(*sim::findProfile(profile)) {}
    // Sends a request and returns everything the instrument put out by then, echo included.
    Bytes send(const Bytes& bytes) {
        in.receive(bytes, t);
        return in.takeOutput(t);
    }
    // The answer frame after the echo of the request.
    Bytes ask(const Bytes& payload) {
        const Bytes req = frame(payload), out = send(req);
        EXPECT_GE(out.size(), req.size());
        EXPECT_TRUE(std::equal(req.begin(), req.end(), out.begin()));
        return Bytes(out.begin() + static_cast<std::ptrdiff_t>(req.size()), out.end());
    }
    sim::SimInstrument in;
    platform::TimePoint t{10s};
};

// The answers every other test relies on without looking: the loader's, the odd requests'.
TEST(SimInstrument, AnswersTheOddRequests) {
    // The requests are vectors: an initializer list in a table would not outlive its line.
    const std::tuple<const char*, Bytes, Bytes> cases[] = {
        {"loader", {1}, frame({0x80 | 51, 36})},
        {"loader", {15, 0, 0, 0}, frame({'F'})},  // "FontOK" of the signature
        {"p36e51", {13, 0}, frame({0, 0, 0, 0, 0, 0, 0})},
        {"p36e51", {13}, frame({1})},                   // answered, then the restart
        {"p36e51", {15, 0xFF, 0xFF, 0xFF}, frame({})},  // beyond the NVRAM
        {"p36e51", {99}, frame({})},
        // Command 40 takes exactly ten bytes; nothing is written past the end.
        {"p36e51", {40, 0x12, 0x00, 0x00, 1, 2}, frame({0})},
        {"p36e51", {14, 0xFF, 0xD2, 0x07, 1, 2}, frame({0})},  // two bytes at the last
    };
    for (const auto& [profile, request, answer] : cases) {
        Sim s(profile);
        EXPECT_EQ(s.ask(request), answer) << profile << " " << int(request[0]);
    }
}

TEST(SimInstrument, EchoesIdleZerosIgnoresBadFramesAndAbandonsStalledOnes) {
    Sim s;
    EXPECT_EQ(s.send(Bytes(5, 0)), Bytes(5, 0));
    Bytes bad = frame({15, 0x23, 0x01, 0x00});
    bad.back() ^= 1;
    EXPECT_EQ(s.send(bad), bad);  // echo only
    EXPECT_EQ(s.in.wire().back().value, bad.back());
    EXPECT_EQ(s.in.requests().size(), 1u);
    // A frame whose bytes stop coming for 150 ms is dropped.
    const Bytes req = frame({15, 0x23, 0x01, 0x00});
    s.send(Bytes(req.begin(), req.begin() + 3));
    s.t += 150ms;
    const Bytes out = s.send(req);
    EXPECT_EQ(Bytes(out.begin() + 6, out.end()), frame({0}));
}

TEST(SimInstrument, PacingSpacesEveryByteByItsWireTimeAndBurstsSplitAtQuietGaps) {
    Sim s;
    s.in.setPacing(true);
    s.in.receive(frame({15, 0x23, 0x01, 0x00}), s.t);  // 6 bytes in, 6 echoed + 3 answered
    const auto byteTime = std::chrono::nanoseconds(86806);
    // The first echo leaves once the byte has arrived and been sent back.
    EXPECT_EQ(*s.in.nextOutputTime(), s.t + 2 * byteTime);
    EXPECT_EQ(s.in.outputReady(s.t + 7 * byteTime), 6u);
    EXPECT_EQ(s.in.outputReady(s.t + 10 * byteTime), 9u);

    Sim b;
    b.in.addFault({sim::Fault::Kind::Stall, 0, 50ms});
    b.in.receive(frame({1}), b.t);
    const auto gap = 2ms;
    EXPECT_EQ(b.in.burstReady(b.t, gap), 3u);  // the echo
    EXPECT_EQ(*b.in.burstEnd(gap), b.t);
    b.in.takeOutput(b.t, 3);
    EXPECT_EQ(b.in.burstReady(b.t, gap), 0u);
    EXPECT_EQ(*b.in.burstEnd(gap), b.t + 50ms);
}

}  // namespace
