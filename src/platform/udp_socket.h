#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/bytes.h"

namespace platform {

struct Datagram {
    Bytes data;
    std::string senderAddress;  // numeric, "127.0.0.1"
    std::uint16_t senderPort = 0;
};

class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    // Binds to a local address ("" = any) and port (0 = chosen by the system). Sending on an
    // unbound socket binds it implicitly.
    virtual bool bind(const std::string& localAddress, std::uint16_t port) = 0;
    virtual void close() = 0;
    virtual bool sendTo(ByteSpan data, const std::string& host, std::uint16_t port) = 0;
    virtual bool hasPendingDatagram() = 0;
    virtual std::optional<Datagram> receive() = 0;
    // Blocks until a datagram is waiting or the time is up, without spinning.
    virtual bool waitForReadyRead(std::chrono::milliseconds timeout) = 0;
    // The numeric address that a host name stands for ("" when it cannot be resolved), so that
    // answers can be matched against the address they were sent to.
    virtual std::string resolve(const std::string& host) = 0;
    virtual std::uint16_t localPort() const = 0;
};

}  // namespace platform
