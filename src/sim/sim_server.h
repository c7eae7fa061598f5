#pragma once
// Serves one simulated instrument to other processes: its serial line on a pseudo-terminal and
// its Ethernet module on loopback UDP (data port and command port). Single-threaded: run()
// polls every endpoint; start() runs it on a thread of its own for tests.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "sim/sim_ethernet_module.h"
#include "sim/sim_instrument.h"

namespace sim {

class SimServer {
public:
    SimServer(SimInstrument& instrument, platform::Clock& clock);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Creates the pseudo-terminal; its path, or "" on failure.
    std::string openPty();
    // Binds the data port and the module command port on host (0 = any free port). False
    // when a port cannot be had.
    bool openUdp(const std::string& host, std::uint16_t dataPort, std::uint16_t commandPort);
    std::uint16_t dataPort() const { return dataPort_; }
    std::uint16_t commandPort() const { return commandPort_; }
    const std::string& ptyPath() const { return ptyPath_; }
    SimEthernetModule& module() { return module_; }

    // Serves until stop is set (checked at least every 50 ms).
    void run(const std::atomic<bool>& stop);
    void start();
    void stop();

    // Tests: before each of the next `count` data datagrams, another sender (the command
    // port) sends the client `bytes`, which look like the instrument's output.
    void sendStrayDatagrams(int count, platform::Bytes bytes);

    // The link is dropped (a cable pulled): the pseudo-terminal is closed, so that the host's
    // port sees its line hang up, and the UDP ports take nothing any more and send nothing.
    // Safe from the instrument's frame observer (the server thread): it takes effect when the
    // byte being served has been taken.
    void dropLink() { dropRequested_ = true; }

    // Work on the instrument while the server thread is held off.
    void withInstrument(const std::function<void(SimInstrument&)>& f);

private:
    void pollOnce(int maxWaitMs);
    void servePty();
    void serveUdpData();
    void serveUdpCommand();
    void flushPty();
    void flushUdp();
    void drop();

    SimInstrument& instrument_;
    platform::Clock& clock_;
    SimEthernetModule module_;
    bool udpActive_ = false;
    platform::TimePoint lastActivity_{};  // the last byte that came in or went out  // the last
                                          // input came over UDP, so output goes there

    int ptyMaster_ = -1;
    int ptySlaveKeep_ = -1;  // keeps the line up while the host has the port closed
    std::string ptyPath_;
    int udpData_ = -1;
    int udpCommand_ = -1;
    std::uint16_t dataPort_ = 0;
    std::uint16_t commandPort_ = 0;
    bool haveClient_ = false;
    std::uint8_t clientAddr_[16] = {};
    unsigned clientAddrLen_ = 0;
    bool ptyEnabled_ = false;
    bool udpEnabled_ = false;
    int strayCount_ = 0;
    platform::Bytes stray_;

    std::mutex mutex_;
    std::atomic<bool> stopFlag_{false};
    std::atomic<bool> dropRequested_{false};
    std::thread thread_;
};

}  // namespace sim
