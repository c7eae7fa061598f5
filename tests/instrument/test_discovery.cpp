// The selection list: USB devices, serial ports, and Ethernet discovery through the simulated
// modules, on virtual time.
#include <gtest/gtest.h>

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

using krnlink::SelectionRow;
using Texts = std::vector<std::string>;

namespace {

// Each row as "sn | name | info".
Texts table(const std::vector<SelectionRow>& rows) {
    Texts out;
    for (const auto& r : rows) out.push_back(r.sn + " | " + r.name + " | " + r.info);
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
    }
    Texts serials(const char* filter) {
        Texts out;
        for (const auto& d : krnlink::ElencaDispositiviUSB(usb, clock, filter))
            out.push_back(d.serialNumber);
        return out;
    }
    platform::VirtualClock clock;
    sim::SimInstrument p36{*sim::findProfile("p36e51")};
    sim::SimInstrument p41{*sim::findProfile("p41e1072")};
    sim::SimUsbBridge usb;
};

// The "QX" filter and the closed handles are followed by the selection test, the blank chip's
// "EEPROM Empty" by the service tests of the EEPROM programming.
TEST(UsbList, WaitsForAFreshDeviceAndNamesUnreadableOnes) {
    UsbBench b;
    b.usb.devices()[0].notReadyReads = 100;  // 0.2 s after plug-in
    b.usb.devices()[1].invalidHandle = true;
    const auto t0 = b.clock.now();
    const Texts list = b.serials("");
    EXPECT_NEAR(b.clock.secondsSince(t0), 0.2, 0.01);
    EXPECT_EQ(Texts(list.begin(), list.begin() + 2), (Texts{"QX3000001", "Invalid handle"}));
    // A device that never shows its serial number costs at most 1 s (500 tries).
    UsbBench slow;
    slow.usb.devices()[0].notReadyReads = 100000;
    const auto t1 = slow.clock.now();
    slow.serials("");
    EXPECT_NEAR(slow.clock.secondsSince(t1), 1.0, 0.01);
}

TEST(Selection, UsbRowsAreProbedAndSerialRowsListed) {
    UsbBench b;
    b.p41.setClock({2026, 1, 1, 0, 0, 0, 4}, {});
    sim::SimInstrument loader(*sim::findProfile("loader"));
    b.usb.addDevice(device("QX5000005", &loader));
    sim::SimPortEnumerator ports({"/dev/ttyS0", "/dev/ttyS1"});
    sim::SimUdpSocket probeSocket(b.clock);
    instrument::InstrumentProbe probe(b.clock, &b.usb, &probeSocket);
    krnlink::SelectionList list(&b.usb, &ports, probe, b.clock, {});
    list.fill();
    EXPECT_EQ(table(list.rows()),
              (Texts{"USB: QX3000001 | KRN-36 | Protocol: 36-51",
                     "USB: QX4000002 | KRN-41 Line 3 | Protocol: 41-1072",
                     "USB: QX3000009 |  | Communication error",  // never opened: no EEPROM read
                     "USB: QX5000005 | [KRN Visual QX5000005] | Update mode",
                     "COM: /dev/ttyS0 | Instrument connected to ttyS0 | ",
                     "COM: /dev/ttyS1 | Instrument connected to ttyS1 | "}));
    EXPECT_EQ(b.usb.openHandles(), 0);
    // The probe ends each conversation with 18/9.
    EXPECT_EQ(b.p36.requests().back(), (platform::Bytes{0x03, 18, 9, 0x1E}));
    EXPECT_FALSE(list.choose(6).ok);
}

// Two modules on the in-process network, both listening for commands on port 65535.
struct Network {
    Network() : moduleSocket(clock), probeSocket(clock) {
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
    sim::SimUdpSocket moduleSocket, probeSocket;
    sim::SimEthernetModule a{instrumentA, "00AA00000001", "Press A"};
    sim::SimEthernetModule b{instrumentB, "00BB00000002", "Press B"};
    testing_support::RecordingDialogs dialogs;
};

// Two modules resolved and their instruments probed: the end-to-end test of krnctl list.
TEST(EthernetDiscovery, RejectionsAndTimeouts) {
    using B = sim::SimEthernetModule::Behaviour;
    const std::string timeout = "Get IP-address timeout.";
    {
        // A rejected login: message, then the step times out and is repeated.
        Network n;
        n.a.setCommandBehaviour("L", B::Reject, 'E');
        auto rows = n.run(false, 1);
        EXPECT_EQ(n.dialogs.texts(), (Texts{"Login rejected.\nReply code: E", timeout,
                                            "Login rejected.\nReply code: E", timeout}));
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
    const auto datagram = [&](const std::string& text) {
        d.onDatagram({platform::Bytes(text.begin(), text.end()), "127.0.0.9", 65535});
    };
    datagram("A0011");
    datagram("Rx");  // ignored
    datagram(std::string("A00CC/1001/a/b/c/Line 4/x\0junk", 29));
    EXPECT_EQ(table(rows), (Texts{"MAC: 0011 |  | ", "MAC: 00CC | [Line 4/x] | 1001"}));
    EXPECT_EQ(d.StatoRicerca(), krnlink::EthernetDiscovery::Raccolta);
}

}  // namespace
