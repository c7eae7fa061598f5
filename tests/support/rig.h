#pragma once
// One simulated instrument reachable in process on all three channels, on virtual time.
#include <memory>
#include <string>

#include "link/frame_link.h"
#include "platform/clock.h"
#include "sim/profiles.h"
#include "sim/sim_ethernet_module.h"
#include "sim/sim_instrument.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_udp_socket.h"
#include "sim/sim_usb_bridge.h"

namespace testing_support {

inline constexpr const char* kPortPath = "/dev/ttySIM0";
inline constexpr const char* kUsbSerial = "QX3000001";
inline constexpr std::uint16_t kDataPort = 1001;
inline constexpr std::uint16_t kCommandPort = 65535;

struct Rig {
    explicit Rig(const std::string& profile = "p36e51") : Rig(*sim::findProfile(profile)) {}
    explicit Rig(const sim::Profile& profile)
        : instrument(profile),
          serial(instrument, clock, kPortPath),
          ports({"/dev/ttyS0", kPortPath}),
          usb(clock),
          socket(clock),
          module(instrument, "0036119A0001", "SIM"),
          link(clock, &usb, &ports) {
        sim::SimUsbDevice device;
        device.serialNumber = kUsbSerial;
        device.instrument = &instrument;
        usb.addDevice(device);
        socket.addModule({&module, kDataPort, kCommandPort});
    }

    // Opens the channel the way the tool does, with the identification at the end.
    bool openSerial() {
        link.HandlePorta(&serial);
        return link.ApriComunicazione232(2);
    }
    bool openUsb() { return link.ApriComunicazioneUSB(kUsbSerial); }
    bool openEthernet() {
        link.SetupPortaEth(&socket);
        return link.ApriComunicazioneETH("127.0.0.1", kDataPort);
    }
    bool open(krnlink::Channel c) {
        switch (c) {
            case krnlink::Channel::Serial: return openSerial();
            case krnlink::Channel::Usb: return openUsb();
            case krnlink::Channel::Ethernet: return openEthernet();
        }
        return false;
    }

    // Prepares [count][bytes...] in BufferTx and runs the exchange.
    bool exchange(std::initializer_list<std::uint8_t> bytes, bool senzaRitentativi = false) {
        link.BufferTx[0] = static_cast<std::uint8_t>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), link.BufferTx.begin() + 1);
        return link.EseguiTransazione(senzaRitentativi);
    }

    platform::Bytes answerData() const {
        return platform::Bytes(link.BufferRx.begin() + 1, link.BufferRx.begin() + 1 + link.BufferRx[0]);
    }

    double elapsed(platform::TimePoint since) const { return clock.secondsSince(since); }

    platform::VirtualClock clock;
    sim::SimInstrument instrument;
    sim::SimSerialPort serial;
    sim::SimPortEnumerator ports;
    sim::SimUsbBridge usb;
    sim::SimUdpSocket socket;
    sim::SimEthernetModule module;
    krnlink::FrameLink link;
};

inline platform::Bytes bytes(std::initializer_list<std::uint8_t> b) { return platform::Bytes(b); }

inline std::string channelParamName(krnlink::Channel c) { return krnlink::channelName(c); }

}  // namespace testing_support
