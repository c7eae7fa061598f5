#pragma once
// UDP through Winsock 2, IPv4. Waits block in select(), never in a loop.
#include <cstdint>

#include "platform/udp_socket.h"

namespace platform::win {

// Winsock is started while one of these lives (WSAStartup counts its callers).
class WinsockUser {
public:
    WinsockUser();
    ~WinsockUser();
    WinsockUser(const WinsockUser&) = delete;
    WinsockUser& operator=(const WinsockUser&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

class WinUdpSocket final : public UdpSocket {
public:
    WinUdpSocket() = default;
    ~WinUdpSocket() override;
    WinUdpSocket(const WinUdpSocket&) = delete;
    WinUdpSocket& operator=(const WinUdpSocket&) = delete;

    bool bind(const std::string& localAddress, std::uint16_t port) override;
    void close() override;
    bool sendTo(ByteSpan data, const std::string& host, std::uint16_t port) override;
    bool hasPendingDatagram() override;
    std::optional<Datagram> receive() override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    std::string resolve(const std::string& host) override;
    std::uint16_t localPort() const override;

private:
    bool isOpen() const;
    WinsockUser winsock_;
    std::uintptr_t socket_ = ~std::uintptr_t{0};  // SOCKET; INVALID_SOCKET when closed
};

}  // namespace platform::win
