#pragma once
// Setting up an instrument's Ethernet module through its text commands over UDP: steps 1 to 5
// read the module's current IP address, then the technician confirms (or types) the address and
// steps 10 to 21 assign it and write the module's fixed serial settings. Driven by tick() every
// 400 ms and by arriving datagrams, like the discovery; without any window system.
#include <chrono>
#include <cstdint>
#include <string>

#include "link/ethernet_discovery.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/udp_socket.h"

namespace krnlink {

class EthernetSetup {
public:
    static constexpr auto kTick = std::chrono::milliseconds(400);
    static constexpr int kWaitForOk = 5;    // the step that waits for the technician
    static constexpr int kFirstWrite = 10;  // the step OK starts
    static constexpr int kLastStep = 21;

    enum class End { None, Done, Failed, Cancelled };

    // mac: the module to set up; localAddress: the computer's address as the dialog shows it
    // (also the first line of the message when the module cannot be reached after assigning).
    EthernetSetup(platform::UdpSocket& socket, platform::Clock& clock, platform::Dialogs& dialogs,
                  DiscoverySettings settings, std::string mac, std::string localAddress)
        : socket_(socket),
          clock_(clock),
          dialogs_(dialogs),
          settings_(std::move(settings)),
          mac_(std::move(mac)),
          localAddress_(std::move(localAddress)) {}

    // Opening the dialog: step 1.
    void start();
    // OK: steps 10 to 21 with the address as typed (it is not checked). Only at step 5.
    bool confirm(const std::string& ipText);
    // Cancel: the dialog closes at any step.
    void cancel();
    // The 400 ms timer.
    void tick();
    void onDatagram(const platform::Datagram& d);

    int step() const { return step_; }
    End end() const { return end_; }
    bool closed() const { return end_ != End::None; }
    // The IP box: filled and enabled by the answer to "GIP".
    const std::string& ipText() const { return ip_; }
    bool ipEnabled() const { return ipEnabled_; }
    bool okEnabled() const { return okEnabled_; }
    bool timerRunning() const { return timerRunning_; }
    const std::string& mac() const { return mac_; }
    const std::string& localAddress() const { return localAddress_; }

    // Runs on this thread, waiting for datagrams between ticks, until the set-up waits for OK at
    // step 5 or has ended.
    void runUntilIdle();

    // The command a step sends ("" for a step that does not exist).
    std::string commandOf(int step, const std::string& ipText) const;

private:
    void begin(int step);
    void accept(const std::string& answer);
    void close(End how);
    bool timedOut() const;
    void exclamation(const std::string& text);
    void information(const std::string& text);

    platform::UdpSocket& socket_;
    platform::Clock& clock_;
    platform::Dialogs& dialogs_;
    DiscoverySettings settings_;
    std::string mac_;
    std::string localAddress_;

    int step_ = 0;
    End end_ = End::None;
    std::string ip_;
    std::string typedIp_;
    bool ipEnabled_ = false;
    bool okEnabled_ = false;
    bool timerRunning_ = false;
    platform::TimePoint lastSent_{};
};

}  // namespace krnlink
