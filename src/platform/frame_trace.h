#pragma once
// The support trace: one line per event with the time since the trace began and the channel.
// Frames carry the direction, the bytes in hex and the command's name; below them the link
// writes the bytes as they went out and came in, and notes for attempts, recoveries, drains and
// module commands. Shared by krnsetup, krnctl and krnsim.
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
    // Bytes as they went out on the line or came in: "COM out 05 0F", "COM in  05". A long run
    // of one value is written once with its count ("00 x256").
    void bytes(std::string_view channel, Direction dir, ByteSpan bytes);
    void note(std::string_view channel, std::string_view text);
    // Bytes in hex as bytes() writes them, a long run of one value shortened.
    static std::string hex(ByteSpan bytes);

private:
    void stamp();
    Clock& clock_;
    TimePoint start_;
    std::ofstream out_;
};

}  // namespace platform
