// The serial port list keeps the system's own port numbers where ports carry them, so that the
// row "COM: 5" opens COM5 and not the fifth port found.
#include <gtest/gtest.h>

#include "link/serial_enumeration.h"

namespace {

class NumberedPorts final : public platform::SerialPortEnumerator {
public:
    std::vector<platform::SerialPortInfo> ports() override {
        std::vector<platform::SerialPortInfo> out;
        for (int n : {1, 5, 12}) {
            platform::SerialPortInfo p;
            p.name = p.location = "COM" + std::to_string(n);
            p.number = n;
            out.push_back(p);
        }
        return out;
    }
};

TEST(SerialList, PortsWithTheirOwnNumbersKeepThem) {
    NumberedPorts ports;
    krnlink::CEnumPorts e(ports);
    ASSERT_EQ(e.CreaElencoSeriali(), 3);
    EXPECT_EQ(e[1].Nome, "COM5:");
    EXPECT_EQ(e[1].Porta, 5);
    EXPECT_EQ(e[1].location, "COM5");
    EXPECT_EQ(e[2].Nome, "COM12:");
    EXPECT_EQ(e[2].Porta, 12);
}

}  // namespace
