#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

#include "platform/system.h"

namespace platform {

bool createExclusiveFile(const std::string& path, const std::string& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    (void)!::write(fd, content.data(), content.size());
    ::close(fd);
    return true;
}

std::string processIdentity() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return std::string(host) + " " + std::to_string(::getpid());
}

bool processRunning(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string localAddressTowards(const std::string& host, std::uint16_t port) {
    // A UDP socket that is only connected sends nothing.
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return {};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::string address;
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
    if (::inet_pton(AF_INET, host.c_str(), &to.sin_addr) == 1 &&
        ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        sockaddr_in local{};
        socklen_t length = sizeof local;
        char text[INET_ADDRSTRLEN] = {};
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
            ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text))
            address = text;
    }
    ::close(fd);
    return address;
}

}  // namespace platform
