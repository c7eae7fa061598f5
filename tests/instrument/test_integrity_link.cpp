// After a reopen or a restart the instrument is compared with the one that opened the
// conversation before anything more goes out. Another instrument behind a serial path reopened by
// the recovery is followed over pseudo-terminals by the end-to-end tests.
#include <gtest/gtest.h>

#include "instrument/progress_recorder.h"
#include "instrument/uckrnvisual.h"
#include "platform/protocol.h"
#include "sim/sim_serial_port.h"
#include "support/sim_bench.h"

namespace {

using platform::Bytes;
using sim::Fault;
using testing_support::kPortPath;

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
    std::copy(n.begin(), n.end(), in.nvram().begin() + 107);
}

struct Twins {
    Twins()
        : a(*sim::findProfile("p36e51"), {kPortPath}),
          b(*sim::findProfile("p36e51"), {kPortPath}),
          portB(b.instrument, a.clock, kPortPath),
          port(a.serial, portB),
          control(a.clock, nullptr, nullptr) {
        name(a.instrument, "ALPHA");
        name(b.instrument, "BRAVO");
        control.HandlePorta(&port);
    }
    bool open() { return control.ApriComunicazione232(std::string(kPortPath)); }
    testing_support::SimBench a, b;
    sim::SimSerialPort portB;
    SwappingPort port;
    instrument::UCKRNVisual control;
};

TEST(IdentitySwap, AnotherInstrumentBehindTheSamePathGetsNothingMore) {
    const struct {
        const char* what;
        bool restart;  // the swap comes with a restart, else with the serial recovery
        bool swap;
        bool ownWrites;  // a new name and a cleared header first: still the same instrument
    } cases[] = {
        {"recovery, same instrument", false, false, false},
        {"restart, same instrument", true, false, false},
        {"restart, another instrument", true, true, false},
        {"recovery after the tool's own writes", false, false, true},
    };
    for (const auto& c : cases) {
        Twins t;
        ASSERT_TRUE(t.open()) << c.what;
        if (c.ownWrites) {
            ASSERT_TRUE(t.control.ScriviNome("CHARLIE"));
            for (std::int32_t a = 0; a < 12; ++a) ASSERT_TRUE(t.control.WriteNVRam1Byte(a, 0));
        }
        t.port.swap = c.swap;
        if (c.restart) {
            testing_support::ProgressRecorder progress;
            EXPECT_EQ(t.control.ResetStrumento(0, 100, progress), !c.swap) << c.what;
        } else {
            // The first attempt goes unanswered: the recovery reopens the port by its path.
            t.a.instrument.addFault({Fault::Kind::NoAnswer});
        }
        EXPECT_EQ(t.control.WriteNVRam1Byte(300, 0x42), !c.swap) << c.what;
        EXPECT_EQ(t.control.link().instrumentChanged().has_value(), c.swap) << c.what;
        // The second instrument was asked who it is, and was never written to.
        for (const auto& r : t.b.instrument.requests())
            EXPECT_TRUE(r.size() < 2 || r[1] != platform::cmd::WriteNVRam) << c.what;
        EXPECT_NE(t.b.instrument.nvram()[300], 0x42) << c.what;
        EXPECT_EQ(t.a.instrument.nvram()[300] == 0x42, !c.swap) << c.what;
    }
}

}  // namespace
