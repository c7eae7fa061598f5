#include "sim/sim_serial_port.h"

namespace sim {

bool SimSerialPort::open(const std::string& location) {
    if (location != location_) return false;
    ++opens_;
    open_ = true;
    return true;
}

void SimSerialPort::close() {
    if (!open_) return;
    ++closes_;
    open_ = false;
    instrument_.dropOutput();
}

std::size_t SimSerialPort::bytesAvailable() {
    return open_ ? instrument_.outputReady(clock_.now()) : 0;
}

platform::Bytes SimSerialPort::read(std::size_t max) {
    return open_ ? instrument_.takeOutput(clock_.now(), max) : platform::Bytes{};
}

bool SimSerialPort::write(platform::ByteSpan bytes) {
    if (!open_) return false;
    instrument_.receive(bytes, clock_.now());
    return true;
}

bool SimSerialPort::waitForReadyRead(std::chrono::milliseconds timeout) {
    if (!open_) return false;
    // Like a real port: waits for input that has not arrived yet.
    const platform::TimePoint now = clock_.now();
    auto next = instrument_.nextOutputTimeAfter(now);
    if (next && *next <= now + timeout) {
        clock_.sleepFor(*next - now);
        return true;
    }
    clock_.sleepFor(timeout);
    return false;
}

void SimSerialPort::discardInput() {
    if (open_) instrument_.takeOutput(clock_.now());
}

std::vector<platform::SerialPortInfo> SimPortEnumerator::ports() {
    std::vector<platform::SerialPortInfo> out;
    for (const auto& l : locations_) out.push_back({l, l, "Simulated instrument", "krnsim", ""});
    return out;
}

}  // namespace sim
