// The simulator's server where there are no pseudo-terminals (Windows builds): it serves
// nothing, so a caller sees that neither the serial line nor UDP could be opened. The simulated
// instrument itself runs in process there (krnctl --simulate).
#include "sim/sim_server.h"

namespace sim {

SimServer::SimServer(SimInstrument& instrument, platform::Clock& clock)
    : instrument_(instrument),
      clock_(clock),
      module_(instrument, "0036119A0001", instrument.profile().instrumentName) {}

SimServer::~SimServer() = default;

std::string SimServer::openPty() {
    return {};
}

bool SimServer::openUdp(const std::string&, std::uint16_t, std::uint16_t) {
    return false;
}

void SimServer::run(const std::atomic<bool>&) {}
void SimServer::start() {}
void SimServer::stop() {}
void SimServer::sendStrayDatagrams(int, platform::Bytes) {}

void SimServer::withInstrument(const std::function<void(SimInstrument&)>& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    f(instrument_);
}

}  // namespace sim
