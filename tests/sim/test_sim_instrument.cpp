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

TEST(SimInstrument, AnswersTheBasicCommands) {
    // The requests are vectors: an initializer list in a table would not outlive its line.
    const std::tuple<const char*, Bytes, Bytes> cases[] = {
        {"p36e51", {1}, frame({51, 36})},
        {"p17e23", {1}, frame({23, 17})},
        {"p39e1060", {1}, frame({60, 39})},
        {"p41e1072", {1}, frame({72, 41})},
        {"loader", {1}, frame({0x80 | 51, 36})},
        {"loader", {15, 0, 0, 0}, frame({'F'})},  // "FontOK" of the signature
        {"p36e51", {12}, frame({248, 0})},
        {"p36e51", {18, 3}, frame({1})},
        {"p36e51", {18, 9}, frame({1})},
        {"p36e51", {13, 0}, frame({0, 0, 0, 0, 0, 0, 0})},
        {"p36e51", {15, 0xFF, 0xFF, 0xFF}, frame({})},  // beyond the NVRAM
        {"p36e51", {99}, frame({})},
    };
    for (const auto& [profile, request, answer] : cases) {
        Sim s(profile);
        EXPECT_EQ(s.ask(request), answer) << profile << " " << int(request[0]);
    }
}

TEST(SimInstrument, WritesAndReadsNvramInEveryWidth) {
    Sim s;
    EXPECT_EQ(s.ask({14, 0x10, 0x00, 0x00, 0xAA, 0xBB}), frame({1}));
    EXPECT_EQ(s.ask({40, 0x12, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), frame({1}));
    EXPECT_EQ(s.ask({15, 0x10, 0x00, 0x00}), frame({0xAA}));
    EXPECT_EQ(s.ask({16, 0x10, 0x00, 0x00}), frame({0xAA, 0xBB}));
    EXPECT_EQ(s.ask({17, 0x11, 0x00, 0x00}), frame({0xBB, 1, 2}));
    EXPECT_EQ(s.ask({41, 0x10, 0x00, 0x00}),
              frame({0xAA, 0xBB, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 0, 0}));
    // Command 40 takes exactly ten bytes; nothing is written past the end.
    EXPECT_EQ(s.ask({40, 0x12, 0x00, 0x00, 1, 2}), frame({0}));
    const std::uint32_t last = static_cast<std::uint32_t>(s.in.nvram().size() - 1);
    EXPECT_EQ(s.ask({14, static_cast<std::uint8_t>(last), static_cast<std::uint8_t>(last >> 8),
                     static_cast<std::uint8_t>(last >> 16), 1, 2}),
              frame({0}));
}

TEST(SimInstrument, EchoesIdleZerosIgnoresBadFramesAndAbandonsStalledOnes) {
    Sim s;
    EXPECT_EQ(s.send(Bytes(5, 0)), Bytes(5, 0));
    Bytes bad = frame({15, 0x23, 0x01, 0x00});
    bad.back() ^= 1;
    EXPECT_EQ(s.send(bad), bad);  // echo only
    EXPECT_EQ(s.in.requests().size(), 1u);
    // A frame whose bytes stop coming for 150 ms is dropped.
    const Bytes req = frame({15, 0x23, 0x01, 0x00});
    s.send(Bytes(req.begin(), req.begin() + 3));
    s.t += 150ms;
    const Bytes out = s.send(req);
    EXPECT_EQ(Bytes(out.begin() + 6, out.end()), frame({0}));
}

TEST(SimInstrument, RestartKeepsItSilentForTheRestartTime) {
    Sim s;
    s.in.setRestartSilence(3s);
    const Bytes req = frame({19});
    EXPECT_EQ(s.send(req), req);  // echoed, never answered
    EXPECT_EQ(s.in.restarts(), 1);
    s.t += 2900ms;
    EXPECT_TRUE(s.send(frame({1})).empty());
    s.t += 200ms;
    EXPECT_EQ(s.ask({1}), frame({51, 36}));
    // Command 13 without argument answers, then restarts.
    EXPECT_EQ(s.ask({13}), frame({1}));
    EXPECT_EQ(s.in.restarts(), 2);
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

TEST(SimInstrument, KeepsOnlyARecentHistoryOfTheLine) {
    // 300 kB read in 15-byte blocks: about 580000 bytes on the wire, both directions.
    Sim s;
    const Bytes blockRead = frame({41, 0x00, 0x10, 0x00});
    for (int i = 0; i < 300000 / 15; ++i) {
        s.send(blockRead);
        s.t += 1ms;
    }
    EXPECT_LE(s.in.wire().size(), 2 * sim::SimInstrument::kWireHistory);
    EXPECT_LE(s.in.requests().size(), 2 * sim::SimInstrument::kRequestHistory);
    // What is kept is the end of the history.
    EXPECT_EQ(s.in.requests().back(), blockRead);
    EXPECT_EQ(s.in.wire().back().time, s.t - 1ms);
    // A served instrument keeps none.
    s.in.setHistoryLimit(0, 0);
    EXPECT_TRUE(s.in.wire().empty());
    s.send(blockRead);
    EXPECT_TRUE(s.in.wire().empty() && s.in.requests().empty());
}

TEST(SimMemoryTest, RunsItsCyclesOnTheInstrumentsClockAndErasesTheMemory) {
    Sim s;
    EXPECT_EQ(s.ask({37}), frame({0, 0}));  // no test yet
    EXPECT_EQ(s.ask({36, 4}), frame({4}));
    EXPECT_TRUE(std::all_of(s.in.nvram().begin(), s.in.nvram().end(),
                            [](std::uint8_t b) { return b == 0; }));
    const std::pair<platform::Duration, Bytes> states[] = {
        {0s, frame({1, 4})},     {1999ms, frame({1, 4})}, {1ms, frame({1, 3})},
        {5999ms, frame({1, 1})}, {1ms, frame({0, 0})},    {10s, frame({0, 0})}};
    for (const auto& [later, answer] : states) {
        s.t += later;
        EXPECT_EQ(s.ask({37}), answer);
    }
    EXPECT_EQ(s.ask({38}), frame({1}));
    EXPECT_EQ(s.in.memoryTest().starts, 1);
}

TEST(SimMemoryTest, AStopARestartOrAZeroCountEndIt) {
    Sim s;
    s.ask({36, 200});
    s.t += 3s;
    EXPECT_EQ(s.ask({38}), frame({1}));
    EXPECT_EQ(s.ask({37}), frame({0, 0}));
    s.ask({36, 200});
    s.in.restart(s.t);
    s.t += 10s;
    EXPECT_EQ(s.ask({37}), frame({0, 0}));
    EXPECT_EQ(s.ask({36, 0}), frame({0}));
    EXPECT_EQ(s.ask({37}), frame({0, 0}));
}

TEST(SimMemoryTest, AFaultyCellReadsBackWithBit0InvertedAndFailsTheFirstCycle) {
    Sim s;
    s.in.setFaultyCell(0x1001);
    EXPECT_EQ(s.ask({14, 0x00, 0x10, 0x00, 0x55, 0xAA}), frame({1}));
    EXPECT_EQ(s.in.nvram()[0x1001], 0xAA);  // the cell keeps what was written
    EXPECT_EQ(s.ask({15, 0x01, 0x10, 0x00}), frame({0xAB}));
    EXPECT_EQ(s.ask({16, 0x00, 0x10, 0x00}), frame({0x55, 0xAB}));
    EXPECT_EQ(s.ask({36, 10}), frame({10}));
    EXPECT_EQ(s.ask({37}), frame({1, 10}));
    s.t += 2s;
    // Stopped with the error bit; the second byte still counts the cycles left.
    EXPECT_EQ(s.ask({37}), frame({2, 9}));
}

}  // namespace
