#pragma once
// The instrument control on the in-process simulator, on virtual time.
#include <string>

#include "instrument/uckrnvisual.h"
#include "sim/profiles.h"
#include "sim/sim_instrument.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_udp_socket.h"
#include "sim/sim_usb_bridge.h"
#include "support/rig.h"

namespace testing_support {

struct InstrumentRig {
    explicit InstrumentRig(const std::string& profile = "p36e51")
        : InstrumentRig(*sim::findProfile(profile)) {}
    explicit InstrumentRig(const sim::Profile& profile)
        : instrument(profile),
          serial(instrument, clock, kPortPath),
          ports({kPortPath}),
          usb(clock),
          socket(clock),
          module(instrument, "0036119A0001", "SIM"),
          control(clock, &usb, &ports) {
        sim::SimUsbDevice device;
        device.serialNumber = kUsbSerial;
        device.instrument = &instrument;
        usb.addDevice(device);
        socket.addModule({&module, kDataPort, kCommandPort});
        control.HandlePorta(&serial);
    }

    bool openSerial() { return control.ApriComunicazione232(1); }
    bool open(krnlink::Channel c) {
        switch (c) {
            case krnlink::Channel::Serial: return openSerial();
            case krnlink::Channel::Usb: return control.ApriComunicazioneUSB(kUsbSerial);
            case krnlink::Channel::Ethernet:
                control.SetupPortaEth(&socket);
                return control.ApriComunicazioneETH("127.0.0.1", kDataPort);
        }
        return false;
    }

    // Command codes of the requests the instrument received since the log was cleared.
    std::vector<int> commands() const {
        std::vector<int> c;
        for (const auto& r : instrument.requests()) c.push_back(r.size() > 1 ? r[1] : -1);
        return c;
    }

    platform::VirtualClock clock;
    sim::SimInstrument instrument;
    sim::SimSerialPort serial;
    sim::SimPortEnumerator ports;
    sim::SimUsbBridge usb;
    sim::SimUdpSocket socket;
    sim::SimEthernetModule module;
    instrument::UCKRNVisual control;
};

}  // namespace testing_support
