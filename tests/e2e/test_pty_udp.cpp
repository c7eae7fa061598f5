// The link through the real adapters: QSerialPort on a pseudo-terminal and QUdpSocket on
// loopback, against the simulator served on its own thread in real time.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCoreApplication>

#include "instrument/uckrnvisual.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_udp_socket.h"
#include "sim/sim_server.h"

namespace {

using platform::Bytes;

class RealTransports : public ::testing::Test {
protected:
    RealTransports()
        : instrument(*sim::findProfile("p36e51")),
          server(instrument, clock),
          control(clock, nullptr, nullptr) {}

    void SetUp() override {
        ptyPath = server.openPty();
        ASSERT_FALSE(ptyPath.empty());
        ASSERT_TRUE(server.openUdp("127.0.0.1", 0, 0));
        server.withInstrument([](sim::SimInstrument& in) { in.nvram()[0x123] = 0xFE; });
        server.start();
    }
    void TearDown() override { server.stop(); }

    bool exchangeRead() {
        return control.link().exchange(krnlink::Request(15).address(0x000123), false);
    }

    Bytes lastRequest() {
        Bytes r;
        server.withInstrument([&](sim::SimInstrument& in) { r = in.requests().back(); });
        return r;
    }

    platform::SystemClock clock;
    sim::SimInstrument instrument;
    sim::SimServer server;
    std::string ptyPath;
    // The ports outlive the control, which closes them when it goes.
    platform::qt::QtSerialPort serial;
    platform::qt::QtUdpSocket socket;
    instrument::UCKRNVisual control;
};

TEST_F(RealTransports, SerialExchangeOverAPseudoTerminal) {
    control.HandlePorta(&serial);
    ASSERT_TRUE(control.ApriComunicazione232(ptyPath));
    EXPECT_EQ(control.Protocollo(), 36);
    EXPECT_EQ(control.Estensioni(), 51);
    ASSERT_TRUE(exchangeRead());
    EXPECT_EQ(lastRequest(), (Bytes{0x05, 0x0F, 0x23, 0x01, 0x00, 0x38}));
    EXPECT_EQ(control.link().BufferRx[0], 1);
    EXPECT_EQ(control.link().BufferRx[1], 0xFE);

    // A lost answer: the port is closed and reopened, the zero burst resynchronises, the
    // instrument behind the port is identified and compared, and the second attempt succeeds
    // (its answer, of CHK 1, asked for once more).
    server.withInstrument([](sim::SimInstrument& in) {
        in.clearLog();
        in.addFault({sim::Fault::Kind::NoAnswer});
    });
    ASSERT_TRUE(exchangeRead());
    server.withInstrument([](sim::SimInstrument& in) {
        const Bytes read{0x05, 0x0F, 0x23, 0x01, 0x00, 0x38};
        const auto& r = in.requests();
        EXPECT_EQ(std::count(r.begin(), r.end(), read), 3);
        EXPECT_EQ(r.front(), read);
        EXPECT_EQ(r[1], (Bytes{0x02, 0x01, 0x03}));  // the identification after the reopen
        const Bytes host = in.hostBytes();
        EXPECT_EQ(Bytes(host.begin() + 6, host.begin() + 6 + 1 + 256 + 1), Bytes(258, 0));
    });
    control.ChiudiPortaComunicazione();
    EXPECT_FALSE(control.Collegato());
}

TEST_F(RealTransports, EthernetExchangeOverLoopbackUdp) {
    control.SetupPortaEth(&socket);
    ASSERT_TRUE(control.ApriComunicazioneETH("127.0.0.1", server.dataPort()));
    ASSERT_TRUE(exchangeRead());
    EXPECT_EQ(lastRequest(), (Bytes{0x05, 0x0F, 0x23, 0x01, 0x00, 0x38}));
    EXPECT_EQ(control.link().BufferRx[1], 0xFE);
    auto answer = control.ComandoUDP("ENCOMMPC");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, "A");

    // A bad checksum costs one attempt and its drain; the next attempt succeeds.
    server.withInstrument(
        [](sim::SimInstrument& in) { in.addFault({sim::Fault::Kind::WrongChecksum}); });
    ASSERT_TRUE(exchangeRead());
    EXPECT_EQ(control.link().BufferRx[1], 0xFE);
}

TEST_F(RealTransports, ModuleCommandPortAnswersDiscovery) {
    platform::qt::QtUdpSocket probe;
    const std::string x = "X\r";
    ASSERT_TRUE(probe.sendTo(Bytes(x.begin(), x.end()), "127.0.0.1", server.commandPort()));
    ASSERT_TRUE(probe.waitForReadyRead(std::chrono::milliseconds(2000)));
    auto d = probe.receive();
    ASSERT_TRUE(d.has_value());
    const std::string text(d->data.begin(), d->data.end());
    EXPECT_EQ(text, "A0036119A0001/" + std::to_string(server.dataPort()) + "/0/0/0/KRN-36");
    EXPECT_EQ(d->senderPort, server.commandPort());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
