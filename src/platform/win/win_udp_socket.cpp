#include "platform/win/win_udp_socket.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <algorithm>
#include <vector>

namespace platform::win {
namespace {

constexpr int kLargestDatagram = 65536;
// Whether an ICMP "port unreachable" ends the next receive (not in every SDK's headers).
constexpr DWORD kUdpConnReset = _WSAIOW(IOC_VENDOR, 12);

std::string addressText(const in_addr& a) {
    char text[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &a, text, sizeof text) ? text : "";
}

}  // namespace

WinsockUser::WinsockUser() {
    WSADATA data{};
    ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockUser::~WinsockUser() {
    if (ok_) WSACleanup();
}

WinUdpSocket::~WinUdpSocket() {
    close();
}

bool WinUdpSocket::isOpen() const {
    return socket_ != INVALID_SOCKET;
}

bool WinUdpSocket::bind(const std::string& localAddress, std::uint16_t port) {
    close();
    if (!winsock_.ok()) return false;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (localAddress.empty())
        local.sin_addr.s_addr = htonl(INADDR_ANY);
    else if (inet_pton(AF_INET, localAddress.c_str(), &local.sin_addr) != 1)
        return false;
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    // Module discovery broadcasts; and an ICMP "port unreachable" for an earlier datagram must
    // not turn the next receive into an error (Windows reports it as WSAECONNRESET).
    const BOOL yes = TRUE;
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&yes), sizeof yes);
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, kUdpConnReset, &reportReset, sizeof reportReset, nullptr, 0, &returned, nullptr,
             nullptr);
    if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        closesocket(s);
        return false;
    }
    socket_ = s;
    return true;
}

void WinUdpSocket::close() {
    if (!isOpen()) return;
    closesocket(static_cast<SOCKET>(socket_));
    socket_ = INVALID_SOCKET;
}

bool WinUdpSocket::sendTo(ByteSpan data, const std::string& host, std::uint16_t port) {
    if (!isOpen() && !bind("", 0)) return false;
    const std::string address = resolve(host);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (address.empty() || inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) return false;
    const int n =
        ::sendto(static_cast<SOCKET>(socket_), reinterpret_cast<const char*>(data.data()),
                 static_cast<int>(data.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    return n == static_cast<int>(data.size());
}

bool WinUdpSocket::hasPendingDatagram() {
    return waitForReadyRead(std::chrono::milliseconds(0));
}

std::optional<Datagram> WinUdpSocket::receive() {
    if (!hasPendingDatagram()) return std::nullopt;
    std::vector<char> buffer(kLargestDatagram);
    sockaddr_in from{};
    int length = sizeof from;
    const int n =
        ::recvfrom(static_cast<SOCKET>(socket_), buffer.data(), static_cast<int>(buffer.size()), 0,
                   reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) return std::nullopt;
    Datagram d;
    d.data.assign(buffer.begin(), buffer.begin() + n);
    d.senderAddress = addressText(from.sin_addr);
    d.senderPort = ntohs(from.sin_port);
    return d;
}

bool WinUdpSocket::waitForReadyRead(std::chrono::milliseconds timeout) {
    if (!isOpen()) return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socket_), &readable);
    const long long ms = std::max<long long>(timeout.count(), 0);
    timeval limit{};
    limit.tv_sec = static_cast<long>(ms / 1000);
    limit.tv_usec = static_cast<long>(ms % 1000 * 1000);
    return ::select(0, &readable, nullptr, nullptr, &limit) > 0;
}

std::string WinUdpSocket::resolve(const std::string& host) {
    in_addr direct{};
    if (inet_pton(AF_INET, host.c_str(), &direct) == 1) return addressText(direct);
    if (!winsock_.ok()) return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return {};
    const std::string text =
        addressText(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr);
    freeaddrinfo(found);
    return text;
}

std::uint16_t WinUdpSocket::localPort() const {
    if (!isOpen()) return 0;
    sockaddr_in local{};
    int length = sizeof local;
    if (getsockname(static_cast<SOCKET>(socket_), reinterpret_cast<sockaddr*>(&local), &length) !=
        0)
        return 0;
    return ntohs(local.sin_port);
}

}  // namespace platform::win
