#pragma once
#include <memory>

#include "platform/udp_socket.h"

class QUdpSocket;

namespace platform::qt {

// QUdpSocket behind the UdpSocket interface, usable without an event loop.
class QtUdpSocket final : public UdpSocket {
public:
    QtUdpSocket();
    ~QtUdpSocket() override;

    bool bind(const std::string& localAddress, std::uint16_t port) override;
    void close() override;
    bool sendTo(ByteSpan data, const std::string& host, std::uint16_t port) override;
    bool hasPendingDatagram() override;
    std::optional<Datagram> receive() override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    std::string resolve(const std::string& host) override;
    std::uint16_t localPort() const override;

private:
    std::unique_ptr<QUdpSocket> socket_;
};

}  // namespace platform::qt
