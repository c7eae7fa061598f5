#include "platform/serial_port.h"

namespace platform {

std::string serialLocationForNumber(SerialPortEnumerator& enumerator, int number) {
    if (number < 1) return {};
    auto list = enumerator.ports();
    if (static_cast<std::size_t>(number) > list.size()) return {};
    return list[static_cast<std::size_t>(number) - 1].location;
}

}  // namespace platform
