// The selection list: USB devices, serial ports, and Ethernet discovery through the simulated
// modules, on virtual time.
#include <gtest/gtest.h>

#include <memory>

#include "instrument/probe.h"
#include "link/ethernet_discovery.h"
#include "link/selection.h"
#include "link/serial_enumeration.h"
#include "link/zenko_usb.h"
#include "sim/sim_ethernet_module.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_udp_socket.h"
#include "sim/sim_usb_bridge.h"
#include "support/recording_dialogs.h"

using krnlink::SelectionOptions;
using krnlink::SelectionRow;

namespace {

std::vector<std::string> column(const std::vector<SelectionRow>& rows,
                                std::string SelectionRow::*c) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.*c);
    return out;
}

sim::SimUsbDevice device(const std::string& serial, sim::SimInstrument* in) {
    sim::SimUsbDevice d;
    d.serialNumber = serial;
    d.description = "KRN Visual " + serial;
    d.instrument = in;
    return d;
}

struct UsbBench {
    UsbBench() : usb(clock) {
        usb.addDevice(device("QX3000001", &p36));
        usb.addDevice(device("QX4000002", &p41));
        auto blank = device("", nullptr);
        blank.eepromEmpty = true;
        usb.addDevice(blank);
        auto broken = device("QX3000009", &p36);
        broken.failOpen = true;
        usb.addDevice(broken);
        usb.addDevice(device("AB0000001", nullptr));
    }
    platform::VirtualClock clock;
    sim::SimInstrument p36{*sim::findProfile("p36e51")};
    sim::SimInstrument p41{*sim::findProfile("p41e1072")};
    sim::SimUsbBridge usb;
};

TEST(UsbList, FiltersBySerialPrefixAndMarksBlankEeproms) {
    struct Case {
        const char* filter;
        std::vector<std::string> serials;
    };
    const Case cases[] = {
        {"QX", {"QX3000001", "QX4000002", "QX3000009"}},
        {"QX3", {"QX3000001", "QX3000009"}},
        {"", {"QX3000001", "QX4000002", "EEPROM Empty", "QX3000009", "AB0000001"}},
    };
    for (const Case& c : cases) {
        UsbBench b;
        std::vector<std::string> serials;
        for (const auto& d : krnlink::ElencaDispositiviUSB(b.usb, b.clock, c.filter))
            serials.push_back(d.serialNumber);
        EXPECT_EQ(serials, c.serials) << c.filter;
        EXPECT_EQ(b.usb.openHandles(), 0);
    }
}

TEST(UsbList, WaitsForAFreshDeviceAndNamesUnreadableOnes) {
    UsbBench b;
    b.usb.devices()[0].notReadyReads = 100;  // 0.2 s after plug-in
    b.usb.devices()[1].invalidHandle = true;
    const auto t0 = b.clock.now();
    auto list = krnlink::ElencaDispositiviUSB(b.usb, b.clock, "");
    EXPECT_NEAR(b.clock.secondsSince(t0), 0.2, 0.01);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0].serialNumber, "QX3000001");
    EXPECT_EQ(list[1].serialNumber, "Invalid handle");

    // A device that never shows its serial number costs at most 1 s (500 tries).
    UsbBench slow;
    slow.usb.devices()[0].notReadyReads = 100000;
    const auto t1 = slow.clock.now();
    krnlink::ElencaDispositiviUSB(slow.usb, slow.clock, "");
    EXPECT_NEAR(slow.clock.secondsSince(t1), 1.0, 0.01);
}

TEST(SerialList, NeverMoreThanAHundredPorts) {
    std::vector<std::string> many;
    for (int i = 0; i < 130; ++i) many.push_back("/dev/ttyS" + std::to_string(i));
    sim::SimPortEnumerator ports(many);
    krnlink::CEnumPorts e(ports);
    EXPECT_EQ(e.CreaElencoSeriali(), 100);
    EXPECT_EQ(e[99].Nome, "COM100:");
    EXPECT_EQ(e[99].Porta, 100);
    EXPECT_EQ(e[0].Descrizione, "Communication port");
    EXPECT_EQ(e[0].Monitor, "Local Port");
    EXPECT_EQ(e[0].location, "/dev/ttyS0");
}

TEST(Selection, UsbRowsAreProbedAndSerialRowsListed) {
    UsbBench b;
    b.p41.setClock({2026, 1, 1, 0, 0, 0, 4}, {});
    sim::SimInstrument loader(*sim::findProfile("loader"));
    b.usb.devices()[4] = device("QX5000005", &loader);
    sim::SimPortEnumerator ports({"/dev/ttyS0", "/dev/ttyS1"});
    sim::SimUdpSocket probeSocket(b.clock);
    instrument::InstrumentProbe probe(b.clock, &b.usb, &probeSocket);
    krnlink::SelectionList list(&b.usb, &ports, probe, b.clock, {});
    list.fill();
    EXPECT_EQ(column(list.rows(), &SelectionRow::sn),
              (std::vector<std::string>{"USB: QX3000001", "USB: QX4000002", "USB: QX3000009",
                                        "USB: QX5000005", "COM: /dev/ttyS0", "COM: /dev/ttyS1"}));
    EXPECT_EQ(
        column(list.rows(), &SelectionRow::name),
        (std::vector<std::string>{"KRN-36", "KRN-41 Line 3", "",  // never opened: no EEPROM read
                                  "[KRN Visual QX5000005]", "Instrument connected to ttyS0",
                                  "Instrument connected to ttyS1"}));
    EXPECT_EQ(column(list.rows(), &SelectionRow::info),
              (std::vector<std::string>{"Protocol: 36-51", "Protocol: 41-1072",
                                        "Communication error", "Update mode", "", ""}));
    EXPECT_EQ(b.usb.openHandles(), 0);
    // The probe ends each conversation with 18/9.
    EXPECT_EQ(b.p36.requests().back(), (platform::Bytes{0x03, 18, 9, 0x1E}));

    auto usbChoice = list.choose(1);
    EXPECT_TRUE(usbChoice.ok);
    EXPECT_EQ(usbChoice.description, "USB: QX4000002");
    EXPECT_EQ(usbChoice.second, "KRN-41 Line 3");
    auto comChoice = list.choose(4);
    EXPECT_EQ(comChoice.description, "COM: /dev/ttyS0");  // the device, whatever the order
    EXPECT_EQ(comChoice.second, "1000000");
    EXPECT_FALSE(list.choose(6).ok);

    krnlink::SelectionList only(&b.usb, &ports, probe, b.clock, {false, true, false, false});
    only.fill();
    EXPECT_EQ(column(only.rows(), &SelectionRow::sn),
              (std::vector<std::string>{"USB: QX3000001", "USB: QX3000009"}));
    EXPECT_FALSE(only.wantsEthernet());
}

// Two modules on the in-process network, both listening for commands on port 65535.
struct Network {
    Network()
        : moduleSocket(clock),
          probeSocket(clock),
          a(instrumentA, "00AA00000001", "Press A"),
          b(instrumentB, "00BB00000002", "Press B") {
        for (sim::SimUdpSocket* s : {&moduleSocket, &probeSocket}) {
            s->addModule({&a, 1001, 65535});
            s->addModule({&b, 1002, 65535});
        }
        a.setIp("127.0.0.1");
        b.setIp("127.0.0.1");
    }
    std::vector<SelectionRow> run(bool soloEthernet = false, int repeatLimit = -1) {
        std::vector<SelectionRow> rows;
        instrument::InstrumentProbe probe(clock, nullptr, &probeSocket);
        krnlink::EthernetDiscovery d(moduleSocket, clock, dialogs, probe, rows,
                                     {"127.0.0.1", 65535}, soloEthernet);
        d.repeatLimit = repeatLimit;
        d.start();
        d.runToEnd();
        return rows;
    }
    platform::VirtualClock clock;
    sim::SimInstrument instrumentA{*sim::findProfile("p36e51")};
    sim::SimInstrument instrumentB{*sim::findProfile("p41e1072")};
    sim::SimUdpSocket moduleSocket;
    sim::SimUdpSocket probeSocket;
    sim::SimEthernetModule a;
    sim::SimEthernetModule b;
    testing_support::RecordingDialogs dialogs;
};

TEST(EthernetDiscovery, ResolvesEachModuleAndProbesItsInstrument) {
    Network n;
    auto rows = n.run();
    EXPECT_EQ(column(rows, &SelectionRow::sn),
              (std::vector<std::string>{"IP:127.0.0.1:1001", "IP:127.0.0.1:1002"}));
    EXPECT_EQ(column(rows, &SelectionRow::name),
              (std::vector<std::string>{"KRN-36", "KRN-41 Line 3"}));
    EXPECT_EQ(column(rows, &SelectionRow::info),
              (std::vector<std::string>{"Protocol: 36-51", "Protocol: 41-1072"}));
    EXPECT_TRUE(n.dialogs.boxes.empty());
    // Every module hears every broadcast; only the selected one answers.
    EXPECT_EQ(n.a.commandsHeard(), (std::vector<std::string>{"X", "W00AA00000001", "L", "GIP", "O",
                                                             "W00BB00000002", "L", "GIP", "O"}));
    EXPECT_EQ(n.b.commandsAnswered(), 5);  // X and the four of its own turn
    // Module commands go to the discovery address and the command port, as plain text.
    EXPECT_EQ(n.moduleSocket.sent().front().host, "127.0.0.1");
    EXPECT_EQ(n.moduleSocket.sent().front().port, 65535);
    EXPECT_EQ(n.moduleSocket.sent().front().data, (platform::Bytes{'X'}));
}

TEST(EthernetDiscovery, EthernetOnlyListsAddressesWithoutOpeningInstruments) {
    Network n;
    auto rows = n.run(true);
    EXPECT_EQ(column(rows, &SelectionRow::sn),
              (std::vector<std::string>{"MAC: 00AA00000001", "MAC: 00BB00000002"}));
    EXPECT_EQ(column(rows, &SelectionRow::info),
              (std::vector<std::string>{"IP:127.0.0.1:1001", "IP:127.0.0.1:1002"}));
    EXPECT_EQ(column(rows, &SelectionRow::name),
              (std::vector<std::string>{"[Press A]", "[Press B]"}));
    EXPECT_TRUE(n.instrumentA.requests().empty());
}

TEST(EthernetDiscovery, RejectionsAndTimeouts) {
    using B = sim::SimEthernetModule::Behaviour;
    {
        // A rejected login: message, then the step times out and is repeated.
        Network n;
        n.a.setCommandBehaviour("L", B::Reject, 'E');
        auto rows = n.run(false, 1);
        EXPECT_EQ(n.dialogs.texts(),
                  (std::vector<std::string>{
                      "Login rejected.\nReply code: E", "Get IP-address timeout.",
                      "Login rejected.\nReply code: E", "Get IP-address timeout."}));
        EXPECT_EQ(n.dialogs.boxes[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_EQ(rows[0].sn, "MAC: 00AA00000001");  // given up
        EXPECT_EQ(rows[1].sn, "IP:127.0.0.1:1002");
    }
    {
        // No answer to GIP: silently on with the next module.
        Network n;
        n.a.setCommandBehaviour("GIP", B::Silent);
        auto rows = n.run();
        EXPECT_TRUE(n.dialogs.boxes.empty());
        EXPECT_EQ(rows[0].sn, "MAC: 00AA00000001");
        EXPECT_EQ(rows[1].info, "Protocol: 41-1072");
    }
    {
        // No answer to the login: "Get IP-address timeout." and the login is sent again.
        Network n;
        n.a.setCommandBehaviour("L", B::Silent);
        n.run(false, 2);
        EXPECT_EQ(n.dialogs.texts(), std::vector<std::string>(3, "Get IP-address timeout."));
        const auto& heard = n.a.commandsHeard();
        EXPECT_EQ(std::count(heard.begin(), heard.end(), "L"), 3 + 1);  // its own three, B's one
    }
    {
        // A rejected address request.
        Network n;
        n.b.setCommandBehaviour("GIP", B::Reject, 'X');
        n.run();
        EXPECT_EQ(n.dialogs.texts().front(), "Get IP-address rejected.\nReply code: X");
    }
}

TEST(EthernetDiscovery, AnswerWithoutSeparatorsGivesAMacOnlyRow) {
    Network n;
    n.a.setCommandsSilent(true);
    n.b.setCommandsSilent(true);
    std::vector<SelectionRow> rows;
    instrument::InstrumentProbe probe(n.clock, nullptr, &n.probeSocket);
    krnlink::EthernetDiscovery d(n.moduleSocket, n.clock, n.dialogs, probe, rows, {}, false);
    d.start();
    d.onDatagram({platform::Bytes{'A', '0', '0', '1', '1'}, "127.0.0.9", 65535});
    d.onDatagram({platform::Bytes{'R', 'x'}, "127.0.0.9", 65535});  // ignored
    const std::string named = std::string("A00CC/1001/a/b/c/Line 4/x\0junk", 29);
    d.onDatagram({platform::Bytes(named.begin(), named.end()), "127.0.0.9", 65535});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].sn, "MAC: 0011");
    EXPECT_EQ(rows[0].name, "");
    EXPECT_EQ(rows[0].info, "");
    EXPECT_EQ(rows[1].name, "[Line 4/x]");
    EXPECT_EQ(rows[1].info, "1001");
    EXPECT_EQ(d.StatoRicerca(), krnlink::EthernetDiscovery::Raccolta);
}

}  // namespace
