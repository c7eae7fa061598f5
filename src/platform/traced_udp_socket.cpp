#include "platform/traced_udp_socket.h"

#include <algorithm>

namespace platform {

std::string TracedUdpSocket::describe(ByteSpan data) {
    ByteSpan text = data;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text = text.first(text.size() - 1);
    const bool printable = !text.empty() && std::all_of(text.begin(), text.end(), [](auto b) {
        return b >= 0x20 && b < 0x7F;
    });
    if (!printable) return FrameTrace::hex(data);
    return "\"" + std::string(text.begin(), text.end()) + "\"";
}

bool TracedUdpSocket::sendTo(ByteSpan data, const std::string& host, std::uint16_t port) {
    const bool ok = inner_.sendTo(data, host, port);
    trace_.note(channel_, "to " + host + ":" + std::to_string(port) + " " + describe(data) +
                              (ok ? "" : " (not sent)"));
    return ok;
}

std::optional<Datagram> TracedUdpSocket::receive() {
    auto d = inner_.receive();
    if (d)
        trace_.note(channel_, "from " + d->senderAddress + ":" + std::to_string(d->senderPort) +
                                  " " + describe(d->data));
    return d;
}

}  // namespace platform
