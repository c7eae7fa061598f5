#pragma once
// The serial ports the selection lists: "COM" + number, numbered as "COM: n" opens them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace krnlink {

struct PortaSeriale {
    std::string Nome;         // "COM3:"
    std::string Descrizione;  // "Communication port"
    std::string Monitor;      // "Local Port"
    int Tipo = 0;
    std::int16_t Porta = 0;  // the number "COM: n" takes
    std::string location;    // the device behind it
};

class CEnumPorts {
public:
    static constexpr std::size_t kMassimo = 100;

    explicit CEnumPorts(platform::SerialPortEnumerator& ports) : ports_(ports) {}
    // Rebuilds the list (at most 100 ports); returns the count.
    int CreaElencoSeriali();
    int Totale() const { return static_cast<int>(elenco_.size()); }
    const PortaSeriale& operator[](std::size_t i) const { return elenco_[i]; }
    const std::vector<PortaSeriale>& elenco() const { return elenco_; }

private:
    platform::SerialPortEnumerator& ports_;
    std::vector<PortaSeriale> elenco_;
};

}  // namespace krnlink
