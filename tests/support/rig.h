#pragma once
// The frame link on the simulated instrument. The simulated port is "COM: 2".
#include <string>

#include "support/sim_bench.h"

namespace testing_support {

struct Rig : SimBench {
    explicit Rig(const std::string& profile = "p36e51") : Rig(*sim::findProfile(profile)) {}
    explicit Rig(const sim::Profile& profile)
        : SimBench(profile, {"/dev/ttyS0", kPortPath}), link(clock, &usb, &ports, facts) {}

    bool open(krnlink::Channel c) { return openOn(link, c, 2); }
    bool openSerial() { return open(krnlink::Channel::Serial); }
    bool openUsb() { return open(krnlink::Channel::Usb); }
    bool openEthernet() { return open(krnlink::Channel::Ethernet); }

    // Prepares [count][bytes...] in BufferTx and runs the exchange.
    bool exchange(std::initializer_list<std::uint8_t> bytes, bool senzaRitentativi = false) {
        link.BufferTx[0] = static_cast<std::uint8_t>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), link.BufferTx.begin() + 1);
        return link.EseguiTransazione(senzaRitentativi);
    }

    platform::Bytes answerData() const {
        return platform::Bytes(link.BufferRx.begin() + 1,
                               link.BufferRx.begin() + 1 + link.BufferRx[0]);
    }

    krnlink::InstrumentFlags facts;  // what the instrument control would know
    krnlink::FrameLink link;
};

inline platform::Bytes bytes(std::initializer_list<std::uint8_t> b) {
    return platform::Bytes(b);
}

}  // namespace testing_support
