#pragma once
// One simulated instrument reachable in process on all three channels, on virtual time: the
// serial port (at kPortPath), the USB bridge (kUsbSerial) and the Ethernet module (127.0.0.1,
// data port kDataPort).
#include <string>
#include <vector>

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

struct SimBench {
    SimBench(const sim::Profile& profile, std::vector<std::string> portList)
        : instrument(profile),
          serial(instrument, clock, kPortPath),
          ports(std::move(portList)),
          usb(clock),
          socket(clock),
          module(instrument, "0036119A0001", "SIM") {
        sim::SimUsbDevice device;
        device.serialNumber = kUsbSerial;
        device.instrument = &instrument;
        usb.addDevice(device);
        socket.addModule({&module, kDataPort, kCommandPort});
    }

    // Opens a channel on the link or the instrument control (they share the names), the way the
    // tool does: with the configuration read at the end.
    template <typename Control>
    bool openOn(Control& c, krnlink::Channel channel, int comNumber) {
        switch (channel) {
            case krnlink::Channel::Serial:
                c.HandlePorta(&serial);
                return c.ApriComunicazione232(comNumber);
            case krnlink::Channel::Usb:
                return c.ApriComunicazioneUSB(kUsbSerial);
            case krnlink::Channel::Ethernet:
                c.SetupPortaEth(&socket);
                return c.ApriComunicazioneETH("127.0.0.1", kDataPort);
        }
        return false;
    }

    double elapsed(platform::TimePoint since) const { return clock.secondsSince(since); }

    platform::VirtualClock clock;
    sim::SimInstrument instrument;
    sim::SimSerialPort serial;
    sim::SimPortEnumerator ports;
    sim::SimUsbBridge usb;
    sim::SimUdpSocket socket;
    sim::SimEthernetModule module;
};

}  // namespace testing_support
