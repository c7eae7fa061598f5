#pragma once
// The instrument's own memory test (commands 36 to 38), run on the instrument's clock: a number
// of cycles of a fixed length each. The test erases the NVRAM when it starts (every byte 0), so
// whatever way it ends, the instrument is left unformatted. A faulty cell makes it fail at the
// end of its first cycle.
#include <chrono>
#include <optional>

#include "platform/bytes.h"
#include "platform/clock.h"

namespace sim {

class SimInstrument;

struct SimMemoryTest {
    platform::Duration cycleTime = std::chrono::seconds(2);
    bool running = false;
    bool failed = false;  // the last test found a faulty cell
    int cycles = 0;
    platform::TimePoint start{};
    int starts = 0;  // tests started, for tests
};

// The answer to 36 (start), 37 (state: bit 0 running, bit 1 a cell failed; cycles left) or 38
// (stop).
std::optional<platform::Bytes> memoryTestCommand(SimInstrument& instrument, platform::TimePoint t,
                                                 std::uint8_t code, platform::ByteSpan args);

}  // namespace sim
