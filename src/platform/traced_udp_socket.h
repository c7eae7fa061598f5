#pragma once
// A UDP socket that writes every datagram it sends and receives into the support trace: the
// Ethernet module's text commands and answers as quoted text ("MOD -- to 255.255.255.255:65535
// "GIP"", "MOD -- from 10.0.0.7:65535 "A10.0.0.7/..."), other datagrams in hex. krnctl puts it in
// front of the sockets that speak to modules.
#include "platform/frame_trace.h"
#include "platform/udp_socket.h"

#include <string>

namespace platform {

class TracedUdpSocket final : public UdpSocket {
public:
    TracedUdpSocket(UdpSocket& inner, FrameTrace& trace, std::string channel)
        : inner_(inner), trace_(trace), channel_(std::move(channel)) {}

    bool bind(const std::string& localAddress, std::uint16_t port) override {
        return inner_.bind(localAddress, port);
    }
    void close() override { inner_.close(); }
    bool sendTo(ByteSpan data, const std::string& host, std::uint16_t port) override;
    bool hasPendingDatagram() override { return inner_.hasPendingDatagram(); }
    std::optional<Datagram> receive() override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override {
        return inner_.waitForReadyRead(timeout);
    }
    std::string resolve(const std::string& host) override { return inner_.resolve(host); }
    std::uint16_t localPort() const override { return inner_.localPort(); }

    // "W0036119B2C3D" for a datagram of printable text with its closing CR dropped; the bytes in
    // hex otherwise.
    static std::string describe(ByteSpan data);

private:
    UdpSocket& inner_;
    FrameTrace& trace_;
    std::string channel_;
};

}  // namespace platform
