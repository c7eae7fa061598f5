#pragma once
// The support trace: one line per frame with time, channel, direction, bytes in hex and the
// command's name. Shared by krnsetup, krnctl and krnsim.
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bytes.h"
#include "platform/clock.h"

namespace platform {

class FrameTrace {
public:
    enum class Direction { Tx, Rx };

    // Opens (truncates) the file and writes a header with the local date and time.
    FrameTrace(Clock& clock, const std::string& path);
    bool ok() const { return static_cast<bool>(out_); }

    // command: the request's command code; the answer's line repeats it for readability.
    void frame(std::string_view channel, Direction dir, ByteSpan bytes, std::uint8_t command);
    void note(std::string_view channel, std::string_view text);

private:
    void stamp();
    Clock& clock_;
    TimePoint start_;
    std::ofstream out_;
};

}  // namespace platform
