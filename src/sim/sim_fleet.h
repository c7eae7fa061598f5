#pragma once
// A plant network of simulated instruments on loopback: each instrument is served by a SimServer
// of its own (its data port, its thread), and one command port stands for the network's
// broadcast address: every module hears each module command sent there and answers it, as the
// modules on one network answer a broadcast. MAC addresses count up from 0036119A0001.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "sim/profiles.h"
#include "sim/sim_server.h"

namespace sim {

class SimFleet {
public:
    explicit SimFleet(platform::Clock& clock) : clock_(clock) {}
    ~SimFleet();
    SimFleet(const SimFleet&) = delete;
    SimFleet& operator=(const SimFleet&) = delete;

    // Binds the shared command port on host (0 = any free port). False when it cannot be had.
    bool openCommandPort(const std::string& host, std::uint16_t port);
    std::uint16_t commandPort() const { return commandPort_; }
    // Adds an instrument with its module (the next MAC), its data port bound on host (any free
    // port); nullptr when no port can be had. Before start().
    SimServer* add(const Profile& profile, const std::string& host, bool pace);

    std::size_t size() const { return servers_.size(); }
    SimServer& server(std::size_t i) { return *servers_[i]; }
    SimInstrument& instrument(std::size_t i) { return *instruments_[i]; }
    static std::string macOf(std::size_t i);

    // Serves every instrument and the command port, each on a thread of its own.
    void start();
    void stop();

private:
    void serveCommands();

    platform::Clock& clock_;
    std::vector<std::unique_ptr<SimInstrument>> instruments_;
    std::vector<std::unique_ptr<SimServer>> servers_;
    int commandFd_ = -1;
    std::uint16_t commandPort_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace sim
