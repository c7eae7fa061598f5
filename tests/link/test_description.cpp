#include <gtest/gtest.h>

#include "link/instrument_description.h"

using krnlink::InstrumentDescription;
using Kind = InstrumentDescription::Kind;

TEST(InstrumentDescription, ParsesTheThreeFormsAndRefusesTheRest) {
    struct Case {
        std::string text;
        Kind kind;
        std::string value;  // serial number, path or host
        int number;         // port number or UDP port
    };
    const Case cases[] = {
        {"USB: QX3000123", Kind::Usb, "QX3000123", 0},
        {"usb:QX3000123", Kind::Usb, "QX3000123", 0},
        {"USB: ", Kind::Usb, "", 0},
        {"COM: 3", Kind::SerialNumber, "", 3},
        {"com:12", Kind::SerialNumber, "", 12},
        {"COM: 0", Kind::SerialNumber, "", 0},
        {"COM: abc", Kind::SerialNumber, "", 0},
        {"COM: /dev/pts/4", Kind::SerialPath, "/dev/pts/4", 0},
        {"IP: 127.0.0.1:1001", Kind::Ethernet, "127.0.0.1", 1001},
        {"ip:  localhost:65535 ", Kind::Ethernet, "localhost", 65535},
        {"IP: 127.0.0.1", Kind::Invalid, "", 0},
        {"TCP: 127.0.0.1:1", Kind::Invalid, "", 0},
        {"", Kind::Invalid, "", 0},
        // Markers are found anywhere, USB first, but the value starts after the first 4 or 3
        // characters of the whole text.
        {"xxCOM: 5", Kind::SerialNumber, "", 0},
        {"COM: USB: 7", Kind::Usb, "USB: 7", 0},
    };
    for (const Case& c : cases) {
        auto d = InstrumentDescription::parse(c.text);
        EXPECT_EQ(d.kind, c.kind) << c.text;
        switch (c.kind) {
            case Kind::Usb:
                EXPECT_EQ(d.serialNumber, c.value) << c.text;
                break;
            case Kind::SerialNumber:
                EXPECT_EQ(d.portNumber, c.number) << c.text;
                break;
            case Kind::SerialPath:
                EXPECT_EQ(d.path, c.value) << c.text;
                break;
            case Kind::Ethernet:
                EXPECT_EQ(d.host, c.value) << c.text;
                EXPECT_EQ(d.port, c.number) << c.text;
                break;
            case Kind::Invalid:
                break;
        }
    }
}

// What can name an instrument at all: krnctl refuses the rest as a usage error before any open.
TEST(InstrumentDescription, UsableOnlyWhenItCanNameAnInstrument) {
    const std::pair<const char*, bool> cases[] = {
        {"USB: QX3SIM0001", true},
        {"USB:", false},
        {"COM: 1", true},
        {"COM: 0", false},
        {"COM: x", false},
        {"COM: /dev/ttyUSB0", true},
        {"COM: /", false},
        {"IP: 127.0.0.1:9000", true},
        {"IP: 127.0.0.1:65535", true},
        {"IP: 127.0.0.1:0", false},
        {"IP: 127.0.0.1:65536", false},
        {"IP: :9000", false},
        {"IP: 127.0.0.1", false},
        {"127.0.0.1:9000", false},
    };
    for (const auto& [text, usable] : cases)
        EXPECT_EQ(InstrumentDescription::parse(text).usable(), usable) << text;
}
