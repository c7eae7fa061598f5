#pragma once
// Finding instruments behind Ethernet modules: a broadcast "X" collects the modules, then each
// one is asked for its IP address (select "W" + MAC, login "L", "GIP", logout "O") and the
// instrument behind it is probed. Driven by tick() every 400 ms and by arriving datagrams.
#include <cstdint>
#include <string>
#include <vector>

#include "link/selection.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/udp_socket.h"

namespace krnlink {

struct DiscoverySettings {
    std::string address = "255.255.255.255";  // where module commands go
    std::uint16_t port = 65535;               // the modules' command port
};

class EthernetDiscovery {
public:
    enum Stato {
        Fermo = 0,
        Raccolta = 1,
        Prossimo = 2,
        Login = 3,
        Indirizzo = 4,
        Logout = 5,
        Prova = 6
    };
    static constexpr auto kTick = std::chrono::milliseconds(400);

    EthernetDiscovery(platform::UdpSocket& moduleSocket, platform::Clock& clock,
                      platform::Dialogs& dialogs, InstrumentProber& prober,
                      std::vector<SelectionRow>& rows, DiscoverySettings settings,
                      bool soloEthernet)
        : socket_(moduleSocket),
          clock_(clock),
          dialogs_(dialogs),
          prober_(prober),
          rows_(rows),
          settings_(std::move(settings)),
          soloEthernet_(soloEthernet) {}

    void start();
    void stop() { stato_ = Fermo; }
    void tick();
    void onDatagram(const platform::Datagram& d);
    Stato StatoRicerca() const { return stato_; }
    bool running() const { return stato_ != Fermo; }

    // Runs the discovery to its end on this thread: waits for datagrams between ticks.
    void runToEnd();

    // How often a timed-out step is repeated before the module is given up (-1: no limit, as
    // in the dialog, whose Cancel ends the discovery).
    int repeatLimit = -1;

private:
    void send(const std::string& command);
    void nextModule();
    void advance(const std::string& answer);
    void collect(const std::string& answer);
    void reject(const char* text, char code);
    void takeAddress(const std::string& answer);
    void probe();
    bool timedOut() const;
    SelectionRow& current() { return rows_[static_cast<std::size_t>(index_)]; }

    platform::UdpSocket& socket_;
    platform::Clock& clock_;
    platform::Dialogs& dialogs_;
    InstrumentProber& prober_;
    std::vector<SelectionRow>& rows_;
    DiscoverySettings settings_;
    bool soloEthernet_;

    Stato stato_ = Fermo;
    int index_ = -1;
    std::string lastCommand_;
    platform::TimePoint lastSent_{};
    int repeats_ = 0;
};

}  // namespace krnlink
