#include "link/serial_enumeration.h"

namespace krnlink {

int CEnumPorts::CreaElencoSeriali() {
    elenco_.clear();
    const auto ports = ports_.ports();
    for (std::size_t i = 0; i < ports.size() && elenco_.size() < kMassimo; ++i) {
        const auto number =
            static_cast<std::int16_t>(ports[i].number != 0 ? ports[i].number : i + 1);
        elenco_.push_back({"COM" + std::to_string(number) + ":", "Communication port", "Local Port",
                           0, number, ports[i].location});
    }
    return Totale();
}

}  // namespace krnlink
