#include "link/module_timer.h"

#include <algorithm>

namespace krnlink {

void runModuleTimer(platform::UdpSocket& socket, platform::Clock& clock, platform::Duration period,
                    const std::function<bool()>& running,
                    const std::function<void(const platform::Datagram&)>& onDatagram,
                    const std::function<void()>& onTick) {
    platform::TimePoint nextTick = clock.now() + period;
    while (running()) {
        const platform::Duration left = nextTick - clock.now();
        if (left > platform::Duration::zero()) {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left);
            socket.waitForReadyRead(std::max(ms, std::chrono::milliseconds(1)));
        }
        while (running()) {
            auto d = socket.receive();
            if (!d) break;
            onDatagram(*d);
        }
        if (clock.now() >= nextTick) {
            onTick();
            nextTick = clock.now() + period;
        }
    }
}

}  // namespace krnlink
