#include "sim/sim_memory_check.h"

#include <algorithm>

#include "platform/protocol.h"
#include "sim/sim_instrument.h"

namespace sim {
namespace {

namespace cmd = platform::cmd;

// Brings the test up to time t: the cycles done so far, the end, the failure.
int cyclesLeft(SimInstrument& in, platform::TimePoint t) {
    SimMemoryTest& m = in.memoryTest();
    if (!m.running) return 0;
    const auto done = static_cast<int>((t - m.start) / m.cycleTime);
    if (!in.faultyCells().empty() && done >= 1) {
        m.running = false;
        m.failed = true;
    } else if (done >= m.cycles) {
        m.running = false;
    }
    return std::max(0, m.cycles - done);
}

}  // namespace

std::optional<platform::Bytes> memoryTestCommand(SimInstrument& in, platform::TimePoint t,
                                                 std::uint8_t code, platform::ByteSpan args) {
    SimMemoryTest& m = in.memoryTest();
    switch (code) {
        case cmd::StartMemoryTest:
            if (args.size() != 1) return platform::Bytes{};
            std::fill(in.nvram().begin(), in.nvram().end(), std::uint8_t{0});
            m.cycles = args[0];
            m.start = t;
            m.failed = false;
            m.running = m.cycles > 0;
            ++m.starts;
            return platform::Bytes{args[0]};
        case cmd::MemoryTestState: {
            const int left = cyclesLeft(in, t);
            const auto flags = static_cast<std::uint8_t>((m.running ? 1 : 0) | (m.failed ? 2 : 0));
            return platform::Bytes{flags, static_cast<std::uint8_t>(left)};
        }
        default:  // cmd::StopMemoryTest
            cyclesLeft(in, t);
            m.running = false;
            return platform::Bytes{1};
    }
}

}  // namespace sim
