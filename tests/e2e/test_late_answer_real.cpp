// A late answer over the real adapters: QSerialPort on a pseudo-terminal and QUdpSocket on
// loopback, against the simulator served on its own thread. The instrument holds the answer of
// a read that the tool gives up on and releases it after the echo of the next request.
#include <gtest/gtest.h>

#include "instrument/uckrnvisual.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_udp_socket.h"
#include "sim/sim_server.h"

namespace {

class LateAnswerReal : public ::testing::TestWithParam<bool> {
protected:
    LateAnswerReal()
        : instrument(*sim::findProfile("p36e51")),
          server(instrument, clock),
          control(clock, nullptr, nullptr) {}

    void SetUp() override {
        const std::string pty = server.openPty();
        ASSERT_FALSE(pty.empty());
        ASSERT_TRUE(server.openUdp("127.0.0.1", 0, 0));
        server.withInstrument([](sim::SimInstrument& in) {
            in.nvram()[0x123] = 0x11;
            in.nvram()[0x124] = 0x22;
        });
        server.start();
        if (udp()) {
            control.SetupPortaEth(&socket);
            ASSERT_TRUE(control.ApriComunicazioneETH("127.0.0.1", server.dataPort()));
        } else {
            control.HandlePorta(&serial);
            ASSERT_TRUE(control.ApriComunicazione232(pty));
        }
    }
    void TearDown() override {
        control.ChiudiPortaComunicazione();
        server.stop();
    }
    bool udp() const { return GetParam(); }

    std::optional<std::uint8_t> readByte(std::uint8_t low) {
        auto& link = control.link();
        if (!link.exchange(krnlink::Request(15).address(0x0100 | low), false) ||
            link.BufferRx[0] != 1)
            return std::nullopt;
        return link.BufferRx[1];
    }

    platform::SystemClock clock;
    sim::SimInstrument instrument;
    sim::SimServer server;
    platform::qt::QtSerialPort serial;
    platform::qt::QtUdpSocket socket;
    instrument::UCKRNVisual control;
};

INSTANTIATE_TEST_SUITE_P(Channels, LateAnswerReal, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Udp" : "Pty"); });

TEST_P(LateAnswerReal, TheNextReadIsRightOrFailsNeverTheStaleByte) {
    const int attempts = udp() ? 4 : 2;
    server.withInstrument([&](sim::SimInstrument& in) {
        in.addFault({sim::Fault::Kind::Late, attempts - 1});
        for (int i = 1; i < attempts; ++i) in.addFault({sim::Fault::Kind::NoAnswer});
    });
    EXPECT_FALSE(readByte(0x23).has_value());
    const auto next = readByte(0x24);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(*next, 0x22);
    bool holding = true;
    server.withInstrument([&](sim::SimInstrument& in) { holding = in.holdingAnswer(); });
    EXPECT_FALSE(holding);
    EXPECT_EQ(readByte(0x23), std::optional<std::uint8_t>(0x11));
}

}  // namespace
