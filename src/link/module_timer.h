#pragma once
// The module command flows (discovery, set-up) run as a timer and a socket: a tick every
// period, and every arriving datagram handed over at once. This runs them on the calling
// thread, waiting on the socket between ticks, for as long as the flow says it runs.
#include <functional>

#include "platform/clock.h"
#include "platform/udp_socket.h"

namespace krnlink {

void runModuleTimer(platform::UdpSocket& socket, platform::Clock& clock, platform::Duration period,
                    const std::function<bool()>& running,
                    const std::function<void(const platform::Datagram&)>& onDatagram,
                    const std::function<void()>& onTick);

}  // namespace krnlink
