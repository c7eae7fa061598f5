#include "sim/sim_fleet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

namespace sim {

SimFleet::~SimFleet() {
    stop();
    if (commandFd_ >= 0) ::close(commandFd_);
}

std::string SimFleet::macOf(std::size_t i) {
    char mac[16];
    std::snprintf(mac, sizeof mac, "0036119A%04zX", i + 1);
    return mac;
}

bool SimFleet::openCommandPort(const std::string& host, std::uint16_t port) {
    commandFd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (commandFd_ < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    socklen_t len = sizeof a;
    if (::inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1 ||
        ::bind(commandFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(commandFd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(commandFd_);
        commandFd_ = -1;
        return false;
    }
    commandPort_ = ntohs(a.sin_port);
    return true;
}

SimServer* SimFleet::add(const Profile& profile, const std::string& host, bool pace) {
    auto instrument = std::make_unique<SimInstrument>(profile);
    instrument->setPacing(pace);
    auto server = std::make_unique<SimServer>(*instrument, clock_);
    server->module().setMac(macOf(servers_.size()));
    // Each server also binds a command port of its own, which nobody uses: the fleet's port
    // is the one the modules are asked on.
    if (!server->openUdp(host, 0, 0)) return nullptr;
    instruments_.push_back(std::move(instrument));
    servers_.push_back(std::move(server));
    return servers_.back().get();
}

void SimFleet::start() {
    for (auto& s : servers_) s->start();
    stop_ = false;
    if (commandFd_ >= 0) thread_ = std::thread([this] { serveCommands(); });
}

void SimFleet::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (auto& s : servers_) s->stop();
}

void SimFleet::serveCommands() {
    std::uint8_t buf[2048];
    while (!stop_.load()) {
        pollfd p{commandFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        sockaddr_storage from{};
        socklen_t len = sizeof from;
        const ssize_t n =
            ::recvfrom(commandFd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) continue;
        const platform::ByteSpan command(buf, static_cast<std::size_t>(n));
        for (auto& s : servers_) {
            std::optional<platform::Bytes> reply;
            s->withInstrument(
                [&](SimInstrument&) { reply = s->module().commandDatagram(command); });
            if (reply)
                ::sendto(commandFd_, reply->data(), reply->size(), 0,
                         reinterpret_cast<const sockaddr*>(&from), len);
        }
    }
}

}  // namespace sim
