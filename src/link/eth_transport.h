#pragma once
// The Ethernet channel: the instrument's serial line carried in UDP datagrams by its
// serial-to-Ethernet module, and the module's own text commands on the same endpoint.
#include <deque>
#include <optional>
#include <string>

#include "link/transport.h"
#include "platform/udp_socket.h"

namespace krnlink {

class EthernetTransport final : public Transport {
public:
    EthernetTransport(platform::Clock& clock, platform::UdpSocket& socket, std::string host,
                      std::uint16_t port, std::string localAddress)
        : Transport(clock),
          socket_(socket),
          host_(std::move(host)),
          port_(port),
          localAddress_(std::move(localAddress)) {}

    Channel channel() const override { return Channel::Ethernet; }
    platform::Duration waitLimit() const override;
    platform::Duration quietWindow() const override;

    // Closes and binds the socket, resolves the host name (once: every datagram goes to the
    // numeric address) and sends one zero byte, whose echo is waited for but not required.
    // False when the host cannot be resolved.
    bool open() override;
    void close() override;
    bool send(platform::ByteSpan bytes) override;
    bool read(std::uint8_t* out, std::size_t n, platform::Duration limit) override;
    std::size_t waiting() override;
    void discard() override;
    // One zero byte that comes back echoed shows the instrument is listening.
    bool resynchronise() override;
    // Eighteen zero bytes, then everything that arrives within the wait limit is dropped.
    bool recover() override;

    // A module command: the text and a carriage return in one datagram; the answer is the text
    // of the first datagram that comes back within 2 s, up to its first carriage return.
    std::optional<std::string> command(const std::string& text);

private:
    // Moves the datagrams waiting on the socket into the receive queue; only those from the
    // instrument's address and port count.
    void takeDatagrams();
    bool waitForInput(platform::Duration left) override;
    // Waits in the socket until a datagram comes or the deadline passes; false once it has.
    bool waitUntil(platform::TimePoint deadline);

    platform::UdpSocket& socket_;
    std::string host_;
    std::uint16_t port_;
    std::string localAddress_;
    std::string address_;  // numeric, resolved at open
    std::deque<std::uint8_t> rx_;
};

}  // namespace krnlink
