#pragma once
// In-process UDP: a socket on the host side that reaches simulated Ethernet modules at
// 127.0.0.1, each with a data port and a command port, on the given clock.
#include <deque>
#include <functional>
#include <vector>

#include "platform/clock.h"
#include "platform/udp_socket.h"
#include "sim/sim_ethernet_module.h"

namespace sim {

struct SimModuleEndpoint {
    SimEthernetModule* module = nullptr;
    std::uint16_t dataPort = 0;
    std::uint16_t commandPort = 0;
};

class SimUdpSocket final : public platform::UdpSocket {
public:
    explicit SimUdpSocket(platform::Clock& clock) : clock_(clock) {}

    void addModule(SimModuleEndpoint e);
    // A datagram from anywhere, for tests of what the host accepts.
    void inject(platform::Datagram d) { pending_.push_back(std::move(d)); }
    // Everything the host sent, with its destination port.
    struct Sent {
        platform::Bytes data;
        std::string host;
        std::uint16_t port;
    };
    const std::vector<Sent>& sent() const { return sent_; }
    // Called after every datagram the host sends, once the modules have taken it.
    std::function<void()> afterSend;
    void clearSent() { sent_.clear(); }
    // How often a host name (not a numeric address) was looked up, by the host or by sendTo.
    int nameLookups() const { return nameLookups_; }

    bool bind(const std::string& localAddress, std::uint16_t port) override;
    void close() override;
    bool sendTo(platform::ByteSpan data, const std::string& host, std::uint16_t port) override;
    bool hasPendingDatagram() override;
    std::optional<platform::Datagram> receive() override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    std::string resolve(const std::string& host) override;
    std::uint16_t localPort() const override { return bound_ ? 50000 : 0; }

private:
    void collect();

    platform::Clock& clock_;
    std::vector<SimModuleEndpoint> modules_;
    std::deque<platform::Datagram> pending_;
    std::vector<Sent> sent_;
    bool bound_ = false;
    int nameLookups_ = 0;
};

}  // namespace sim
