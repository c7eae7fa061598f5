#include "sim/sim_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

int bindUdp(const std::string& host, std::uint16_t port, std::uint16_t& bound) {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    bound = ntohs(a.sin_port);
    return fd;
}

constexpr platform::Duration kSpinBelow = std::chrono::microseconds(150);
constexpr platform::Duration kStayAwake = std::chrono::microseconds(400);

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

SimServer::SimServer(SimInstrument& instrument, platform::Clock& clock)
    : instrument_(instrument),
      clock_(clock),
      module_(instrument, "0036119A0001", instrument.profile().instrumentName) {}

SimServer::~SimServer() {
    stop();
    closeFd(ptyMaster_);
    closeFd(ptySlaveKeep_);
    closeFd(udpData_);
    closeFd(udpCommand_);
}

std::string SimServer::openPty() {
    ptyMaster_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (ptyMaster_ < 0 || ::grantpt(ptyMaster_) != 0 || ::unlockpt(ptyMaster_) != 0) {
        closeFd(ptyMaster_);
        return {};
    }
    const char* name = ::ptsname(ptyMaster_);
    if (!name) {
        closeFd(ptyMaster_);
        return {};
    }
    ptyPath_ = name;
    // Raw line: no echo by the terminal driver, no translation of CR/LF, bytes as they come.
    ptySlaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (ptySlaveKeep_ >= 0) {
        termios t{};
        if (::tcgetattr(ptySlaveKeep_, &t) == 0) {
            ::cfmakeraw(&t);
            ::cfsetspeed(&t, B115200);
            ::tcsetattr(ptySlaveKeep_, TCSANOW, &t);
        }
    }
    termios m{};
    if (::tcgetattr(ptyMaster_, &m) == 0) {
        ::cfmakeraw(&m);
        ::tcsetattr(ptyMaster_, TCSANOW, &m);
    }
    ptyEnabled_ = true;
    return ptyPath_;
}

bool SimServer::openUdp(const std::string& host, std::uint16_t dataPort,
                        std::uint16_t commandPort) {
    udpData_ = bindUdp(host, dataPort, dataPort_);
    if (udpData_ < 0) return false;
    udpCommand_ = bindUdp(host, commandPort, commandPort_);
    if (udpCommand_ < 0) {
        closeFd(udpData_);
        return false;
    }
    module_.setDataPort(dataPort_);
    udpEnabled_ = true;
    return true;
}

void SimServer::servePty() {
    std::uint8_t buf[4096];
    while (true) {
        ssize_t n = ::read(ptyMaster_, buf, sizeof buf);
        if (n <= 0) break;
        udpActive_ = false;
        lastActivity_ = clock_.now();
        instrument_.receive(platform::ByteSpan(buf, static_cast<std::size_t>(n)), clock_.now());
    }
}

void SimServer::serveUdpData() {
    std::uint8_t buf[2048];
    while (true) {
        sockaddr_storage from{};
        socklen_t len = sizeof from;
        ssize_t n =
            ::recvfrom(udpData_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) break;
        std::memcpy(clientAddr_, &from, std::min<std::size_t>(len, sizeof clientAddr_));
        clientAddrLen_ = std::min<unsigned>(len, sizeof clientAddr_);
        haveClient_ = true;
        udpActive_ = true;
        module_.dataDatagram(platform::ByteSpan(buf, static_cast<std::size_t>(n)), clock_.now());
    }
}

void SimServer::serveUdpCommand() {
    std::uint8_t buf[2048];
    while (true) {
        sockaddr_storage from{};
        socklen_t len = sizeof from;
        ssize_t n =
            ::recvfrom(udpCommand_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) break;
        if (auto reply =
                module_.commandDatagram(platform::ByteSpan(buf, static_cast<std::size_t>(n))))
            ::sendto(udpCommand_, reply->data(), reply->size(), 0,
                     reinterpret_cast<sockaddr*>(&from), len);
    }
}

void SimServer::flushPty() {
    platform::Bytes out = instrument_.takeOutput(clock_.now());
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::write(ptyMaster_, out.data() + done, out.size() - done);
        if (n <= 0) break;  // nobody listening: the bytes are lost, as on a real line
        done += static_cast<std::size_t>(n);
        lastActivity_ = clock_.now();
    }
}

void SimServer::flushUdp() {
    while (auto d = module_.takeDataDatagram(clock_.now())) {
        if (haveClient_ && strayCount_ > 0) {
            --strayCount_;
            ::sendto(udpCommand_, stray_.data(), stray_.size(), 0,
                     reinterpret_cast<const sockaddr*>(clientAddr_), clientAddrLen_);
        }
        if (haveClient_)
            ::sendto(udpData_, d->data(), d->size(), 0,
                     reinterpret_cast<const sockaddr*>(clientAddr_), clientAddrLen_);
    }
}

void SimServer::pollOnce(int maxWaitMs) {
    pollfd fds[3];
    nfds_t n = 0;
    if (ptyEnabled_) fds[n++] = {ptyMaster_, POLLIN, 0};
    if (udpEnabled_) {
        fds[n++] = {udpData_, POLLIN, 0};
        fds[n++] = {udpCommand_, POLLIN, 0};
    }
    platform::Duration wait = std::chrono::milliseconds(maxWaitMs);
    {
        std::lock_guard lock(mutex_);
        const platform::TimePoint now = clock_.now();
        auto next = udpActive_ ? module_.nextDataTime(now) : instrument_.nextOutputTime();
        if (next)
            wait = std::clamp<platform::Duration>(*next - now, platform::Duration::zero(), wait);
    }
    // Timers wake up late by tens of microseconds; a paced byte would leave late every time.
    // So the sleep ends early and the last stretch before a byte is due is polled.
    wait = wait < kSpinBelow ? platform::Duration::zero() : wait - kSpinBelow;
    {
        // On a paced line the host's next byte follows an echo within a round trip; polling for
        // it spares the wake-up latency that a real UART would not add.
        std::lock_guard lock(mutex_);
        if (instrument_.pacing() && clock_.now() - lastActivity_ < kStayAwake)
            wait = platform::Duration::zero();
    }
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    int r = ::ppoll(fds, n, &ts, nullptr);
    std::lock_guard lock(mutex_);
    if (r > 0) {
        for (nfds_t i = 0; i < n; ++i) {
            if (fds[i].fd == ptyMaster_ && (fds[i].revents & POLLHUP) &&
                !(fds[i].revents & POLLIN)) {
                // No process has the line open; don't spin on the hang-up.
                ::usleep(2000);
                continue;
            }
            if (!(fds[i].revents & POLLIN)) continue;
            if (fds[i].fd == ptyMaster_) servePty();
            if (fds[i].fd == udpData_) serveUdpData();
            if (fds[i].fd == udpCommand_) serveUdpCommand();
        }
    }
    if (dropRequested_) drop();
    if (udpActive_ && udpEnabled_)
        flushUdp();
    else if (ptyEnabled_)
        flushPty();
    else
        instrument_.takeOutput(clock_.now());
}

void SimServer::drop() {
    dropRequested_ = false;
    if (ptyEnabled_) {
        closeFd(ptyMaster_);
        closeFd(ptySlaveKeep_);
        ptyEnabled_ = false;
    }
    udpEnabled_ = false;  // the sockets stay bound: the host's datagrams vanish unanswered
}

void SimServer::run(const std::atomic<bool>& stop) {
    // Byte-exact pacing needs timers that fire when asked, not up to 50 us late.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    while (!stop.load()) pollOnce(50);
}

void SimServer::start() {
    stopFlag_ = false;
    thread_ = std::thread([this] { run(stopFlag_); });
}

void SimServer::stop() {
    stopFlag_ = true;
    if (thread_.joinable()) thread_.join();
}

void SimServer::sendStrayDatagrams(int count, platform::Bytes bytes) {
    std::lock_guard lock(mutex_);
    strayCount_ = count;
    stray_ = std::move(bytes);
}

void SimServer::withInstrument(const std::function<void(SimInstrument&)>& f) {
    std::lock_guard lock(mutex_);
    f(instrument_);
}

}  // namespace sim
