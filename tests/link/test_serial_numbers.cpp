// The serial port list: at most a hundred ports, and the system's own port numbers kept where
// ports carry them, so that the row "COM: 5" opens COM5 and not the fifth port found.
#include <gtest/gtest.h>

#include "link/serial_enumeration.h"
#include "sim/sim_serial_port.h"

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

// Each port as "name number location description monitor".
std::string entry(const krnlink::PortaSeriale& p) {
    return p.Nome + " " + std::to_string(p.Porta) + " " + p.location + " " + p.Descrizione + " " +
           p.Monitor;
}

TEST(SerialList, NeverMoreThanAHundredPortsAndTheirOwnNumbersKept) {
    std::vector<std::string> many;
    for (int i = 0; i < 130; ++i) many.push_back("/dev/ttyS" + std::to_string(i));
    sim::SimPortEnumerator found(many);
    krnlink::CEnumPorts e(found);
    EXPECT_EQ(e.CreaElencoSeriali(), 100);
    EXPECT_EQ(entry(e[0]), "COM1: 1 /dev/ttyS0 Communication port Local Port");
    EXPECT_EQ(entry(e[99]), "COM100: 100 /dev/ttyS99 Communication port Local Port");

    NumberedPorts numbered;  // COM1, COM5, COM12
    krnlink::CEnumPorts n(numbered);
    ASSERT_EQ(n.CreaElencoSeriali(), 3);
    EXPECT_EQ(entry(n[1]), "COM5: 5 COM5 Communication port Local Port");
    EXPECT_EQ(entry(n[2]), "COM12: 12 COM12 Communication port Local Port");
    // "COM: n" names a numbered port by its own number, others by their place.
    const std::tuple<platform::SerialPortEnumerator*, int, const char*> cases[] = {
        {&numbered, 5, "COM5"},    {&numbered, 2, ""},        {&numbered, 0, ""},
        {&found, 1, "/dev/ttyS0"}, {&found, 2, "/dev/ttyS1"}, {&found, 131, ""},
    };
    for (const auto& [ports, number, location] : cases)
        EXPECT_EQ(platform::serialLocationForNumber(*ports, number), location) << number;
}

}  // namespace
