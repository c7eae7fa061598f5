// USB write modes, a reopened and a lost device; Ethernet datagrams, module commands and names;
// what opening and changing channels refuse.
#include <gtest/gtest.h>

#include "support/rig.h"

using krnlink::InstrumentFlags;
using krnlink::UsbWriteMode;
using platform::Bytes;
using sim::Fault;
using testing_support::bytes;
using testing_support::Rig;
using Calls = std::vector<std::string>;

namespace {

const Bytes kRequest = bytes({0x05, 0x0F, 0x23, 0x01, 0x00, 0x38});

// Whether the one-byte read at 0x123 came through, and the calls on the USB bridge it made.
std::pair<bool, Calls> usbRead(Rig& rig, bool senzaRitentativi = false) {
    const auto from = static_cast<std::ptrdiff_t>(rig.usb.calls().size());
    const bool ok = rig.exchange({15, 0x23, 0x01, 0x00}, senzaRitentativi);
    return {ok, Calls(rig.usb.calls().begin() + from, rig.usb.calls().end())};
}

// The device opened by its serial number and set up.
const Calls kOpening = {"OpenEx QX3000001",
                        "SetDataCharacteristics 8 0 0",
                        "SetFlowControl 0",
                        "SetUSBParameters 4096 4096",
                        "SetLatencyTimer 1",
                        "SetTimeouts 100 1000",
                        "SetResetPipeRetryCount 16777215",
                        "SetBaudRate 115200"};
// Zero byte without echo check, resynchronisation burst, zero byte with echo check, the request.
const Calls kResync = {"Write 1", "Write 256", "Write 1", "Write 6"};

Calls join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Estensioni, UpdateMode, TastatoreCollegato, PressaBloccata: the mode, and the request written
// in one block or byte by byte (paced, or each byte's echo awaited).
TEST(UsbExchange, WritesTheRequestAsTheInstrumentFlagsSayInOrder) {
    const std::pair<InstrumentFlags, UsbWriteMode> cases[] = {
        {{0, true, true, true}, UsbWriteMode::PerByte},
        {{1060, false, true, true}, UsbWriteMode::Block},
        {{31, true, true, true}, UsbWriteMode::PerByte},
        {{32, true, true, true}, UsbWriteMode::Block},
        {{51, false, false, true}, UsbWriteMode::Block},
        {{51, false, true, true}, UsbWriteMode::Paced},
        {{51, false, true, false}, UsbWriteMode::PerByte},
    };
    for (const auto& [flags, mode] : cases) {
        SCOPED_TRACE(::testing::Message()
                     << flags.Estensioni << " " << flags.UpdateMode << " "
                     << flags.TastatoreCollegato << " " << flags.PressaBloccata);
        EXPECT_EQ(krnlink::usbWriteMode(flags), mode);
        Rig rig;
        ASSERT_TRUE(rig.openUsb());
        rig.link.flags = flags;
        rig.instrument.clearLog();
        auto [ok, calls] = usbRead(rig);
        ASSERT_TRUE(ok);
        std::erase_if(calls, [](const std::string& c) { return c.rfind("Write", 0) != 0; });
        EXPECT_EQ(calls, mode == UsbWriteMode::Block ? Calls{"Write 6"} : Calls(6, "Write 1"));
        EXPECT_EQ(rig.instrument.requests().back(), kRequest);
    }
}

// A failed reset reopens the device; one that cannot be reopened closes the link, and the closing
// commands never fall back to the serial port of an earlier conversation. The reset and
// resynchronisation between attempts are followed in the link trace test.
TEST(UsbExchange, AFailedResetReopensTheDeviceAndALostOneNeverFallsBackToSerial) {
    for (const bool unplugged : {false, true}) {
        Rig rig;
        // An earlier conversation with another instrument on the serial port.
        sim::SimInstrument other(*sim::findProfile("p36e51"));
        sim::SimSerialPort otherPort(other, rig.clock, testing_support::kPortPath);
        rig.link.HandlePorta(&otherPort);
        ASSERT_TRUE(rig.link.ApriComunicazione232(testing_support::kPortPath));
        rig.link.ChiudiPortaComunicazione();
        other.clearLog();
        const int opens = otherPort.opens();

        ASSERT_TRUE(rig.openUsb());
        rig.link.flags = {1072, false, false, false};
        rig.usb.devices()[0].failReset = true;
        rig.usb.devices()[0].failOpen = unplugged;
        rig.instrument.addFault({Fault::Kind::NoAnswer});
        const Calls reset = {"Write 6", "ResetDevice", "Close"};
        EXPECT_EQ(usbRead(rig), unplugged ? std::pair(false, join({reset, {"OpenEx QX3000001"}}))
                                          : std::pair(true, join({reset, kOpening, kResync})));
        EXPECT_EQ(rig.usb.openHandles(), unplugged ? 0 : 1);
        if (!unplugged) continue;
        EXPECT_FALSE(rig.link.Collegato());
        EXPECT_EQ(rig.link.HandlePortaUSB(), 0u);
        // The closing commands fail as well, and none of them reaches the serial port.
        EXPECT_FALSE(rig.exchange({20, 0}, true));
        EXPECT_FALSE(rig.exchange({18, 3}, true));
        EXPECT_FALSE(rig.exchange({18, 9}, true));
        EXPECT_EQ(otherPort.opens(), opens);
        EXPECT_TRUE(other.hostBytes().empty());
        EXPECT_EQ(rig.usb.openHandles(), 0);
    }
}

TEST(UsbOpen, OpensWithTheSetUpStepsChecksTheEchoAndClosesOnFailure) {
    Rig rig;
    rig.link.SetupPortaEth(&rig.socket);  // USB takes precedence over Ethernet mode
    ASSERT_TRUE(rig.openUsb());
    EXPECT_EQ(rig.link.currentChannel(), krnlink::Channel::Usb);
    ASSERT_GE(rig.usb.calls().size(), kOpening.size() + 1);
    EXPECT_EQ(Calls(rig.usb.calls().begin(), rig.usb.calls().begin() + 9),
              join({kOpening, {"Write 1"}}));
    EXPECT_NE(rig.link.HandlePortaUSB(), 0u);
    rig.link.ChiudiPortaComunicazione();
    EXPECT_EQ(rig.link.HandlePortaUSB(), 0u);
    EXPECT_EQ(rig.usb.openHandles(), 0);
    rig.instrument.setSilent(true);
    EXPECT_FALSE(rig.openUsb());
    EXPECT_EQ(rig.usb.openHandles(), 0);
    EXPECT_FALSE(rig.link.ApriComunicazioneUSB("QX-NOT-THERE"));
}

// Datagrams of other senders are ignored (the link trace test shows it).
TEST(EthernetExchange, TakesEchoAndAnswerInSeparateDatagrams) {
    Rig rig;
    ASSERT_TRUE(rig.openEthernet());
    rig.instrument.nvram()[0x123] = 0x7F;
    rig.instrument.addFault({Fault::Kind::Stall, 0, std::chrono::milliseconds(300)});
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}, true));
    EXPECT_EQ(rig.answerData(), bytes({0x7F}));
}

TEST(EthernetOpen, SendsEncommpcOnceWhenTheFirstConfigurationReadFails) {
    Rig rig;
    rig.instrument.setSilent(true);
    EXPECT_FALSE(rig.openEthernet());
    EXPECT_EQ(rig.module.commandsAnswered(), 1);
    EXPECT_EQ(rig.socket.sent().front().data, bytes({0}));  // the zero byte whose echo is awaited
}

TEST(EthernetOpen, PortsOutsideTheUdpRangeAreRefusedAndAnAnswerWithoutReturnCounts) {
    Rig rig;
    rig.link.SetupPortaEth(&rig.socket);
    EXPECT_FALSE(rig.link.ApriComunicazioneETH("127.0.0.1", 0));
    EXPECT_FALSE(rig.link.ApriComunicazioneETH("127.0.0.1", 70000));
    EXPECT_FALSE(rig.link.ApriComunicazioneETH("nowhere.invalid", 1001));
    EXPECT_TRUE(rig.socket.sent().empty());
    rig.module.setReplyTerminator("");
    ASSERT_TRUE(rig.link.ApriComunicazioneETH("127.0.0.1", testing_support::kDataPort));
    EXPECT_EQ(rig.link.ComandoUDP("ENCOMMPC"), std::optional<std::string>("A"));
    rig.module.setCommandsSilent(true);
    const auto t0 = rig.clock.now();
    EXPECT_FALSE(rig.link.ComandoUDP("ENCOMMPC").has_value());
    EXPECT_NEAR(rig.elapsed(t0), 2.0, 0.01);
}

TEST(EthernetOpen, ResolvesTheHostNameOnceForTheWholeConversation) {
    Rig rig;
    rig.link.SetupPortaEth(&rig.socket);
    ASSERT_TRUE(rig.link.ApriComunicazioneETH("localhost", testing_support::kDataPort));
    EXPECT_EQ(rig.socket.nameLookups(), 1);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    rig.instrument.setSilent(true);
    EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}));  // four attempts, each with its zeros
    EXPECT_TRUE(rig.link.ComandoUDP("ENCOMMPC").has_value());
    EXPECT_EQ(rig.socket.nameLookups(), 1);
}

// Number 2, the simulated port, opens in every serial test; its closing is followed by the
// channel change and control lifetime tests.
TEST(SerialOpen, PortNumbersThatNameNoPortAreNeverTouched) {
    for (int number : {0, -1, 3}) {
        Rig rig;
        rig.link.HandlePorta(&rig.serial);
        EXPECT_FALSE(rig.link.ApriComunicazione232(number)) << number;
        EXPECT_EQ(rig.serial.opens(), 0) << number;
    }
}

TEST(ChannelChange, HandingOverAnotherChannelEndsTheConversationInsteadOfMovingIt) {
    // The channel open, and whether the serial port (else the socket) is handed over.
    const std::pair<krnlink::Channel, bool> cases[] = {{krnlink::Channel::Usb, true},
                                                       {krnlink::Channel::Ethernet, true},
                                                       {krnlink::Channel::Serial, false},
                                                       {krnlink::Channel::Usb, false}};
    for (const auto& [channel, handSerialPort] : cases) {
        Rig rig;
        sim::SimSerialPort spare(rig.instrument, rig.clock, testing_support::kPortPath);
        ASSERT_TRUE(rig.open(channel));
        if (handSerialPort)
            rig.link.HandlePorta(&spare);
        else
            rig.link.SetupPortaEth(&rig.socket);
        const std::string what =
            std::string(krnlink::channelName(channel)) + (handSerialPort ? " + port" : " + socket");
        EXPECT_FALSE(rig.link.Collegato()) << what;
        EXPECT_EQ(rig.usb.openHandles(), 0) << what;
        EXPECT_FALSE(rig.serial.isOpen()) << what;
        rig.instrument.clearLog();
        rig.socket.clearSent();
        EXPECT_FALSE(rig.exchange({1})) << what;
        EXPECT_TRUE(rig.instrument.hostBytes().empty() && rig.socket.sent().empty()) << what;
        EXPECT_EQ(spare.opens(), 0) << what;
    }
}

}  // namespace
