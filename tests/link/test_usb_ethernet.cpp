// USB write modes and recovery; Ethernet attempts, drains, module commands and foreign
// datagrams.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/rig.h"

using krnlink::InstrumentFlags;
using krnlink::UsbWriteMode;
using sim::Fault;
using testing_support::bytes;
using testing_support::Rig;

namespace {

std::vector<std::string> callsFrom(const sim::SimUsbBridge& usb, std::size_t from) {
    return {usb.calls().begin() + static_cast<std::ptrdiff_t>(from), usb.calls().end()};
}

TEST(UsbWriteModeTable, FollowsTheInstrumentFlagsInOrder) {
    struct Case {
        InstrumentFlags flags;  // Estensioni, UpdateMode, TastatoreCollegato, PressaBloccata
        UsbWriteMode mode;
    };
    const Case cases[] = {
        {{0, true, true, true}, UsbWriteMode::PerByte},
        {{1060, false, true, true}, UsbWriteMode::Block},
        {{1072, true, true, true}, UsbWriteMode::Block},
        {{31, true, true, true}, UsbWriteMode::PerByte},
        {{32, true, true, true}, UsbWriteMode::Block},
        {{51, false, false, true}, UsbWriteMode::Block},
        {{51, true, false, false}, UsbWriteMode::Block},
        {{51, false, true, true}, UsbWriteMode::Paced},
        {{51, false, true, false}, UsbWriteMode::PerByte},
        {{1059, false, true, false}, UsbWriteMode::PerByte},
    };
    for (const Case& c : cases)
        EXPECT_EQ(krnlink::usbWriteMode(c.flags), c.mode)
            << c.flags.Estensioni << " " << c.flags.UpdateMode << " " << c.flags.TastatoreCollegato
            << " " << c.flags.PressaBloccata;
}

TEST(UsbExchange, WritesTheRequestAsTheModeSays) {
    struct Case {
        InstrumentFlags flags;
        std::vector<std::string> writes;
    };
    const std::vector<std::string> perByte(6, "Write 1");
    const Case cases[] = {
        {{1072, false, false, false}, {"Write 6"}},
        {{51, false, true, true}, perByte},   // paced
        {{51, false, true, false}, perByte},  // per byte with echo
    };
    for (const Case& c : cases) {
        Rig rig;
        ASSERT_TRUE(rig.openUsb());
        rig.link.flags = c.flags;
        rig.instrument.clearLog();
        const std::size_t from = rig.usb.calls().size();
        ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
        std::vector<std::string> writes;
        for (const auto& call : callsFrom(rig.usb, from))
            if (call.rfind("Write", 0) == 0) writes.push_back(call);
        EXPECT_EQ(writes, c.writes) << c.flags.Estensioni;
        EXPECT_EQ(rig.instrument.requests().back(), bytes({0x05, 0x0F, 0x23, 0x01, 0x00, 0x38}));
    }
}

TEST(UsbExchange, RecoversBetweenAttemptsByResetThenResync) {
    Rig rig;
    ASSERT_TRUE(rig.openUsb());
    rig.link.flags = {1072, false, false, false};
    int noise = 0;
    rig.link.onNoise = [&] { ++noise; };
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    const std::size_t from = rig.usb.calls().size();
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    const std::vector<std::string> expected = {"Write 6",   "ResetDevice",
                                               "Write 1",    // zero byte, no echo check
                                               "Write 256",  // resynchronisation burst
                                               "Write 1",    // zero byte with echo check
                                               "Write 6"};
    EXPECT_EQ(callsFrom(rig.usb, from), expected);
    EXPECT_EQ(noise, 1);
}

TEST(UsbExchange, ReopensTheDeviceWhenTheResetFails) {
    Rig rig;
    ASSERT_TRUE(rig.openUsb());
    rig.link.flags = {1072, false, false, false};
    rig.usb.devices()[0].failReset = true;
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    const std::size_t from = rig.usb.calls().size();
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    const std::vector<std::string> expected = {"Write 6",
                                               "ResetDevice",
                                               "Close",
                                               "OpenEx QX3000001",
                                               "SetDataCharacteristics 8 0 0",
                                               "SetFlowControl 0",
                                               "SetUSBParameters 4096 4096",
                                               "SetLatencyTimer 1",
                                               "SetTimeouts 100 1000",
                                               "SetResetPipeRetryCount 16777215",
                                               "SetBaudRate 115200",
                                               "Write 1",
                                               "Write 256",
                                               "Write 1",
                                               "Write 6"};
    EXPECT_EQ(callsFrom(rig.usb, from), expected);
    EXPECT_EQ(rig.usb.openHandles(), 1);
}

TEST(UsbExchange, SenzaRitentativiMakesOneAttemptWithoutRecovery) {
    Rig rig;
    ASSERT_TRUE(rig.openUsb());
    rig.link.flags = {1072, false, false, false};
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    const std::size_t from = rig.usb.calls().size();
    EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}, true));
    EXPECT_EQ(callsFrom(rig.usb, from), std::vector<std::string>{"Write 6"});
}

TEST(UsbExchange, ADeviceThatCannotBeReopenedClosesTheLinkAndNeverFallsBackToSerial) {
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
    rig.usb.devices()[0].failOpen = true;  // unplugged: it cannot be opened again
    rig.instrument.addFault({Fault::Kind::NoAnswer});
    const std::size_t from = rig.usb.calls().size();
    EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}));
    EXPECT_EQ(callsFrom(rig.usb, from),
              (std::vector<std::string>{"Write 6", "ResetDevice", "Close", "OpenEx QX3000001"}));
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

TEST(UsbOpen, OpensWithTheSetUpStepsChecksTheEchoAndClosesOnFailure) {
    Rig rig;
    ASSERT_TRUE(rig.openUsb());
    const std::vector<std::string> opening = {"OpenEx QX3000001",
                                              "SetDataCharacteristics 8 0 0",
                                              "SetFlowControl 0",
                                              "SetUSBParameters 4096 4096",
                                              "SetLatencyTimer 1",
                                              "SetTimeouts 100 1000",
                                              "SetResetPipeRetryCount 16777215",
                                              "SetBaudRate 115200",
                                              "Write 1"};
    const auto& calls = rig.usb.calls();
    ASSERT_GE(calls.size(), opening.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 9), opening);
    EXPECT_NE(rig.link.HandlePortaUSB(), 0u);

    rig.link.ChiudiPortaComunicazione();
    EXPECT_EQ(rig.link.HandlePortaUSB(), 0u);
    EXPECT_EQ(rig.usb.openHandles(), 0);

    rig.instrument.setSilent(true);
    EXPECT_FALSE(rig.openUsb());
    EXPECT_EQ(rig.usb.openHandles(), 0);
    EXPECT_FALSE(rig.link.ApriComunicazioneUSB("QX-NOT-THERE"));
}

TEST(UsbOpen, TakesPrecedenceOverEthernetMode) {
    Rig rig;
    rig.link.SetupPortaEth(&rig.socket);
    ASSERT_TRUE(rig.openUsb());
    EXPECT_EQ(rig.link.currentChannel(), krnlink::Channel::Usb);
}

TEST(EthernetExchange, FourAttemptsEachFollowedByZerosAndADrain) {
    struct Case {
        bool senzaRitentativi;
        int attempts;
        double seconds;
    };
    // Each attempt after a failed one first waits for a quiet line (10 ms).
    for (const Case& c : {Case{false, 4, 8.03}, Case{true, 1, 1.0}}) {
        Rig rig;
        ASSERT_TRUE(rig.openEthernet());
        rig.instrument.setSilent(true);
        rig.socket.clearSent();
        const auto t0 = rig.clock.now();
        EXPECT_FALSE(rig.exchange({15, 0x23, 0x01, 0x00}, c.senzaRitentativi));
        EXPECT_NEAR(rig.elapsed(t0), c.seconds, 0.01);
        std::vector<platform::Bytes> expected;
        for (int i = 0; i < c.attempts; ++i) {
            expected.push_back(bytes({0x05, 0x0F, 0x23, 0x01, 0x00, 0x38}));
            if (!c.senzaRitentativi) expected.push_back(platform::Bytes(18, 0));
        }
        std::vector<platform::Bytes> sent;
        for (const auto& s : rig.socket.sent()) {
            EXPECT_EQ(s.port, testing_support::kDataPort);
            sent.push_back(s.data);
        }
        EXPECT_EQ(sent, expected);
    }
}

TEST(EthernetExchange, SecondAttemptSucceedsAfterTheDrain) {
    Rig rig;
    ASSERT_TRUE(rig.openEthernet());
    rig.instrument.addFault({Fault::Kind::WrongChecksum});
    const auto t0 = rig.clock.now();
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}));
    // The drain waits out its limit; the second attempt checks for a quiet line before the
    // request and after the answer (10 ms each).
    EXPECT_NEAR(rig.elapsed(t0), 1.02, 0.005);
}

TEST(EthernetExchange, TakesDatagramsOnlyFromTheInstrument) {
    Rig rig;
    ASSERT_TRUE(rig.openEthernet());
    rig.instrument.nvram()[0x123] = 0x7F;
    // A forged echo and answer from elsewhere arrive before the instrument's own.
    const platform::Bytes forged = bytes({0x05, 0x0F, 0x23, 0x01, 0x00, 0x38, 0x02, 0x11, 0x13});
    rig.socket.afterSend = [&] {
        rig.socket.inject({forged, "127.0.0.2", testing_support::kDataPort});
        rig.socket.inject({forged, "127.0.0.1", 4242});
    };
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}, true));
    EXPECT_EQ(rig.answerData(), bytes({0x7F}));
}

TEST(EthernetExchange, QueuedDatagramsAreTakenInOrder) {
    // Echo and answer in separate datagrams, the answer much later.
    Rig rig;
    ASSERT_TRUE(rig.openEthernet());
    rig.instrument.nvram()[0x123] = 0x42;
    rig.instrument.addFault({Fault::Kind::Stall, 0, std::chrono::milliseconds(300)});
    ASSERT_TRUE(rig.exchange({15, 0x23, 0x01, 0x00}, true));
    EXPECT_EQ(rig.answerData(), bytes({0x42}));
}

TEST(EthernetOpen, SendsEncommpcWhenTheFirstConfigurationReadFails) {
    Rig rig;
    rig.instrument.setSilent(true);
    EXPECT_FALSE(rig.openEthernet());
    EXPECT_EQ(rig.module.commandsAnswered(), 1);
    const auto& sent = rig.socket.sent();
    const std::string encommpc = "ENCOMMPC\r";
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [&](const auto& s) {
                                return s.data == platform::Bytes(encommpc.begin(), encommpc.end());
                            }),
              1);
    // The first datagram is the single zero byte whose echo is awaited.
    EXPECT_EQ(sent.front().data, bytes({0}));
}

TEST(EthernetOpen, ModuleAnswerWithoutCarriageReturnCounts) {
    Rig rig;
    rig.module.setReplyTerminator("");
    rig.link.SetupPortaEth(&rig.socket);
    ASSERT_TRUE(rig.link.ApriComunicazioneETH("127.0.0.1", testing_support::kDataPort));
    auto answer = rig.link.ComandoUDP("ENCOMMPC");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, "A");
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

TEST(EthernetOpen, RefusesPortsOutsideTheUdpRangeWithoutSending) {
    Rig rig;
    rig.link.SetupPortaEth(&rig.socket);
    EXPECT_FALSE(rig.link.ApriComunicazioneETH("127.0.0.1", 0));
    EXPECT_FALSE(rig.link.ApriComunicazioneETH("127.0.0.1", 70000));
    EXPECT_FALSE(rig.link.ApriComunicazioneETH("nowhere.invalid", 1001));
    EXPECT_TRUE(rig.socket.sent().empty());
}

TEST(SerialOpen, PortNumbersThatNameNoPortAreNeverTouched) {
    for (int number : {0, -1, 3}) {
        Rig rig;
        rig.link.HandlePorta(&rig.serial);
        EXPECT_FALSE(rig.link.ApriComunicazione232(number)) << number;
        EXPECT_EQ(rig.serial.opens(), 0) << number;
    }
    Rig rig;
    ASSERT_TRUE(rig.openSerial());  // number 2 is the simulated port
    EXPECT_TRUE(rig.link.Collegato());
    rig.link.ChiudiPortaComunicazione();
    EXPECT_FALSE(rig.link.Collegato());
    EXPECT_FALSE(rig.serial.isOpen());
}

TEST(SerialOpen, ClosesThePortWhenTheInstrumentDoesNotAnswer) {
    Rig rig;
    rig.instrument.setSilent(true);
    rig.link.HandlePorta(&rig.serial);
    EXPECT_FALSE(rig.link.ApriComunicazione232(testing_support::kPortPath));
    EXPECT_FALSE(rig.serial.isOpen());
}

TEST(ChannelChange, HandingOverAnotherChannelEndsTheConversationInsteadOfMovingIt) {
    struct Case {
        krnlink::Channel open;
        bool handSerialPort;  // else the socket
    };
    const Case cases[] = {{krnlink::Channel::Usb, true},
                          {krnlink::Channel::Ethernet, true},
                          {krnlink::Channel::Serial, false},
                          {krnlink::Channel::Usb, false}};
    for (const Case& c : cases) {
        Rig rig;
        sim::SimSerialPort spare(rig.instrument, rig.clock, testing_support::kPortPath);
        ASSERT_TRUE(rig.open(c.open));
        if (c.handSerialPort)
            rig.link.HandlePorta(&spare);
        else
            rig.link.SetupPortaEth(&rig.socket);
        const std::string what = std::string(krnlink::channelName(c.open)) +
                                 (c.handSerialPort ? " + port" : " + socket");
        EXPECT_FALSE(rig.link.Collegato()) << what;
        EXPECT_EQ(rig.usb.openHandles(), 0) << what;
        EXPECT_FALSE(rig.serial.isOpen()) << what;
        rig.instrument.clearLog();
        rig.socket.clearSent();
        EXPECT_FALSE(rig.exchange({1})) << what;
        EXPECT_TRUE(rig.instrument.hostBytes().empty()) << what;
        EXPECT_TRUE(rig.socket.sent().empty()) << what;
        EXPECT_EQ(spare.opens(), 0) << what;
    }
}

}  // namespace
