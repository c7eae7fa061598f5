// The instrument description of the selection list and of krnctl --instrument.
#include <gtest/gtest.h>

#include "link/instrument_description.h"

using krnlink::InstrumentDescription;
using Kind = InstrumentDescription::Kind;

namespace {

std::string describe(const InstrumentDescription& d) {
    switch (d.kind) {
        case Kind::Usb:
            return "USB " + d.serialNumber;
        case Kind::SerialNumber:
            return "COM " + std::to_string(d.portNumber);
        case Kind::SerialPath:
            return "path " + d.path;
        case Kind::Ethernet:
            return "IP " + d.host + " " + std::to_string(d.port);
        case Kind::Invalid:
            break;
    }
    return "invalid";
}

// What the text names, and whether it can name an instrument at all: krnctl refuses the rest as
// a usage error before any open.
TEST(InstrumentDescription, ParsesTheThreeFormsAndRefusesTheRest) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"USB: QX3000123", "USB QX3000123", true},
        {"usb:QX3000123", "USB QX3000123", true},
        {"USB: ", "USB ", false},
        {"USB:", "USB ", false},
        {"COM: 3", "COM 3", true},
        {"com:12", "COM 12", true},
        {"COM: 0", "COM 0", false},
        {"COM: abc", "COM 0", false},
        {"COM: /dev/pts/4", "path /dev/pts/4", true},
        {"COM: /", "path /", false},
        {"IP: 127.0.0.1:1001", "IP 127.0.0.1 1001", true},
        {"ip:  localhost:65535 ", "IP localhost 65535", true},
        {"IP: 127.0.0.1:0", "IP 127.0.0.1 0", false},
        {"IP: 127.0.0.1:65536", "IP 127.0.0.1 65536", false},
        {"IP: :9000", "IP  9000", false},
        {"IP: 127.0.0.1", "invalid", false},
        {"127.0.0.1:9000", "invalid", false},
        {"TCP: 127.0.0.1:1", "invalid", false},
        {"", "invalid", false},
        // Markers are found anywhere, USB first, but the value starts after the first 4 or 3
        // characters of the whole text.
        {"xxCOM: 5", "COM 0", false},
        {"COM: USB: 7", "USB USB: 7", true},
    };
    for (const auto& [text, described, usable] : cases) {
        const auto d = InstrumentDescription::parse(text);
        EXPECT_EQ(describe(d), described) << text;
        EXPECT_EQ(d.usable(), usable) << text;
    }
}

}  // namespace
