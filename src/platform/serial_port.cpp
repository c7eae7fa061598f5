#include "platform/serial_port.h"

#include <algorithm>

namespace platform {

std::string serialLocationForNumber(SerialPortEnumerator& enumerator, int number) {
    if (number < 1) return {};
    auto list = enumerator.ports();
    const bool numbered = std::any_of(list.begin(), list.end(),
                                      [](const SerialPortInfo& p) { return p.number != 0; });
    if (numbered) {
        for (const SerialPortInfo& p : list)
            if (p.number == number) return p.location;
        return {};
    }
    if (static_cast<std::size_t>(number) > list.size()) return {};
    return list[static_cast<std::size_t>(number) - 1].location;
}

}  // namespace platform
