#include "sim/sim_udp_socket.h"

namespace sim {
namespace {
constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kBroadcast = "255.255.255.255";
}  // namespace

void SimUdpSocket::addModule(SimModuleEndpoint e) {
    e.module->setDataPort(e.dataPort);
    modules_.push_back(e);
}

bool SimUdpSocket::bind(const std::string&, std::uint16_t) {
    bound_ = true;
    return true;
}

void SimUdpSocket::close() {
    bound_ = false;
    pending_.clear();
}

std::string SimUdpSocket::resolve(const std::string& host) {
    if (host == kLoopback) return kLoopback;
    if (host == kBroadcast) return kBroadcast;
    ++nameLookups_;
    if (host == "localhost") return kLoopback;
    return {};
}

bool SimUdpSocket::sendTo(platform::ByteSpan data, const std::string& host, std::uint16_t port) {
    const std::string address = resolve(host);
    if (address.empty()) return false;
    bound_ = true;
    sent_.push_back({platform::Bytes(data.begin(), data.end()), address, port});
    for (const SimModuleEndpoint& e : modules_) {
        if (address == kLoopback && port == e.dataPort) e.module->dataDatagram(data, clock_.now());
        if (port == e.commandPort) {
            if (auto reply = e.module->commandDatagram(data))
                pending_.push_back({*reply, kLoopback, e.commandPort});
        }
    }
    if (afterSend) afterSend();
    return true;
}

void SimUdpSocket::collect() {
    if (!bound_) return;
    for (const SimModuleEndpoint& e : modules_)
        while (auto d = e.module->takeDataDatagram(clock_.now()))
            pending_.push_back({std::move(*d), kLoopback, e.dataPort});
}

bool SimUdpSocket::hasPendingDatagram() {
    collect();
    return !pending_.empty();
}

std::optional<platform::Datagram> SimUdpSocket::receive() {
    collect();
    if (pending_.empty()) return std::nullopt;
    platform::Datagram d = std::move(pending_.front());
    pending_.pop_front();
    return d;
}

bool SimUdpSocket::waitForReadyRead(std::chrono::milliseconds timeout) {
    if (hasPendingDatagram()) return true;
    if (!bound_) {
        clock_.sleepFor(timeout);
        return false;
    }
    const platform::TimePoint now = clock_.now();
    const platform::TimePoint deadline = now + timeout;
    std::optional<platform::TimePoint> next;
    for (const SimModuleEndpoint& e : modules_) {
        auto t = e.module->nextDataTime(now);
        if (t && (!next || *t < *next)) next = t;
    }
    if (next && *next <= deadline) {
        clock_.sleepFor(std::max<platform::Duration>(*next - now, std::chrono::microseconds(1)));
        return hasPendingDatagram();
    }
    clock_.sleepFor(deadline - now);
    return hasPendingDatagram();
}

}  // namespace sim
