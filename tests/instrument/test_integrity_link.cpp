// The link never trusts more than it can check: an answer whose checksum is 1 (a sum of 0 or of
// 1) is asked for again until two agree, and after a reopen or a restart the instrument is
// compared with the one that opened the conversation before anything more goes out.
#include <gtest/gtest.h>

#include "instrument/progress_recorder.h"
#include "instrument/uckrnvisual.h"
#include "platform/protocol.h"
#include "sim/sim_serial_port.h"
#include "support/sim_bench.h"

namespace {

using platform::Bytes;
using sim::Fault;

// One path, two instruments: the port opens the first until `swap` is set, then the second (an
// adapter enumerated anew during a restart, a link that now points elsewhere).
class SwappingPort final : public platform::SerialPort {
public:
    SwappingPort(platform::SerialPort& a, platform::SerialPort& b) : a_(a), b_(b) {}
    bool swap = false;
    bool open(const std::string& l) override {
        at_ = swap ? &b_ : &a_;
        return at_->open(l);
    }
    bool isOpen() const override { return at_->isOpen(); }
    void close() override { at_->close(); }
    std::size_t bytesAvailable() override { return at_->bytesAvailable(); }
    Bytes read(std::size_t max) override { return at_->read(max); }
    bool write(platform::ByteSpan b) override { return at_->write(b); }
    bool waitForReadyRead(std::chrono::milliseconds t) override { return at_->waitForReadyRead(t); }
    void discardInput() override { at_->discardInput(); }

private:
    platform::SerialPort& a_;
    platform::SerialPort& b_;
    platform::SerialPort* at_ = &a_;
};

void name(sim::SimInstrument& in, const std::string& n) {
    in.nvram()[106] = static_cast<std::uint8_t>(n.size());
    for (std::size_t i = 0; i < n.size(); ++i)
        in.nvram()[107 + i] = static_cast<std::uint8_t>(n[i]);
}

struct Twins {
    explicit Twins(const std::string& profile = "p36e51")
        : a(*sim::findProfile(profile), {testing_support::kPortPath}),
          b(*sim::findProfile(profile), {testing_support::kPortPath}),
          portB(b.instrument, a.clock, testing_support::kPortPath),
          port(a.serial, portB),
          control(a.clock, nullptr, nullptr) {
        name(a.instrument, "ALPHA");
        name(b.instrument, "BRAVO");
        control.HandlePorta(&port);
    }
    bool open() { return control.ApriComunicazione232(std::string(testing_support::kPortPath)); }
    std::vector<int> commandsAtB() const {
        std::vector<int> c;
        for (const auto& r : b.instrument.requests()) c.push_back(r.size() > 1 ? r[1] : -1);
        return c;
    }
    testing_support::SimBench a, b;
    sim::SimSerialPort portB;
    SwappingPort port;
    instrument::UCKRNVisual control;
};

TEST(IdentitySwap, AnotherInstrumentBehindTheSamePathGetsNothingMore) {
    struct Case {
        const char* what;
        bool restart;  // the swap comes with a restart, else with the serial recovery
        bool swap;
    };
    const Case cases[] = {
        {"recovery, same instrument", false, false},
        {"recovery, another instrument", false, true},
        {"restart, same instrument", true, false},
        {"restart, another instrument", true, true},
    };
    for (const Case& c : cases) {
        Twins t;
        ASSERT_TRUE(t.open()) << c.what;
        t.port.swap = c.swap;
        if (c.restart) {
            testing_support::ProgressRecorder progress;
            EXPECT_EQ(t.control.ResetStrumento(0, 100, progress), !c.swap) << c.what;
        } else {
            // The first attempt goes unanswered: the recovery reopens the port by its path.
            t.a.instrument.addFault({Fault::Kind::NoAnswer});
        }
        const bool written = t.control.WriteNVRam1Byte(300, 0x42);
        EXPECT_EQ(written, !c.swap) << c.what;
        EXPECT_EQ(t.control.link().instrumentChanged().has_value(), c.swap) << c.what;
        // The second instrument was asked who it is, and was never written to.
        for (int code : t.commandsAtB()) EXPECT_NE(code, platform::cmd::WriteNVRam) << c.what;
        EXPECT_NE(t.b.instrument.nvram()[300], 0x42) << c.what;
        if (!c.swap) {
            EXPECT_EQ(t.a.instrument.nvram()[300], 0x42) << c.what;
        }
    }
}

TEST(IdentitySwap, TheToolsOwnWritesAreNoOtherInstrument) {
    // A new name and a cleared header, then a reopen: still the same instrument.
    Twins t;
    ASSERT_TRUE(t.open());
    ASSERT_TRUE(t.control.ScriviNome("CHARLIE"));
    for (std::int32_t a = 0; a < 12; ++a) ASSERT_TRUE(t.control.WriteNVRam1Byte(a, 0));
    t.a.instrument.addFault({Fault::Kind::NoAnswer});
    EXPECT_TRUE(t.control.WriteNVRam1Byte(300, 0x42));
    EXPECT_FALSE(t.control.link().instrumentChanged());
}

// The byte 0xFE at 0x123 answers 02 FE 01: its sum is 0x100, so CHK is 1. Bit 0 of the data
// flipped gives 02 FF 01 (sum 0x101), which passes the check as well.
TEST(ChecksumAlias, AnAnswerWithChecksumOneIsReadAgain) {
    struct Case {
        const char* what;
        int flips;  // answers with the data's bit 0 flipped, from the first
        std::optional<std::uint8_t> read;
        int frames;
    };
    const Case cases[] = {
        {"clean", 0, 0xFE, 2},
        {"first answer flipped", 1, 0xFE, 3},
        {"two answers flipped alike", 2, 0xFF, 2},
    };
    for (const Case& c : cases) {
        testing_support::SimBench bench(*sim::findProfile("p36e51"), {testing_support::kPortPath});
        instrument::UCKRNVisual control(bench.clock, nullptr, nullptr);
        control.HandlePorta(&bench.serial);
        ASSERT_TRUE(control.ApriComunicazione232(std::string(testing_support::kPortPath)));
        bench.instrument.nvram()[0x123] = 0xFE;
        bench.instrument.clearLog();
        // Output bytes of a one-byte read: 6 echoes, then LEN, data, CHK.
        for (int i = 0; i < c.flips; ++i)
            bench.instrument.addFault({Fault::Kind::CorruptByte, 7, {}, 0, Bytes{1}});
        EXPECT_EQ(control.ReadNVRam1Byte(0x123), c.read) << c.what;
        EXPECT_EQ(static_cast<int>(bench.instrument.requests().size()), c.frames) << c.what;
    }
}

}  // namespace
