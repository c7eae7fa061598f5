#include "platform/frame_trace.h"

#include <algorithm>
#include <cstdio>

#include "platform/protocol.h"
#include "platform/version.h"

namespace platform {

FrameTrace::FrameTrace(Clock& clock, const std::string& path)
    : clock_(clock), start_(clock.now()), out_(path, std::ios::trunc) {
    // The version, so that a trace sent in by a customer says which build wrote it.
    out_ << "# trace started " << dateTimeText(clock.localNow()) << ", krnsetup " << versionText()
         << "\n"
         << std::flush;
}

void FrameTrace::stamp() {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%12.6f ", clock_.secondsSince(start_));
    out_ << buf;
}

void FrameTrace::frame(std::string_view channel, Direction dir, ByteSpan bytes,
                       std::uint8_t command) {
    if (!out_) return;
    stamp();
    out_ << channel << ' ' << (dir == Direction::Tx ? "TX" : "RX") << ' ' << toHex(bytes) << "  # "
         << static_cast<int>(command) << ' ' << commandName(command) << '\n'
         << std::flush;
}

std::string FrameTrace::hex(ByteSpan bytes) {
    constexpr std::size_t kShortestRun = 8;
    if (bytes.size() >= kShortestRun &&
        std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) { return b == bytes[0]; }))
        return toHex(bytes.first(1)) + " x" + std::to_string(bytes.size());
    return toHex(bytes);
}

void FrameTrace::bytes(std::string_view channel, Direction dir, ByteSpan bytes) {
    if (!out_) return;
    stamp();
    out_ << channel << (dir == Direction::Tx ? " out " : " in  ") << hex(bytes) << '\n'
         << std::flush;
}

void FrameTrace::note(std::string_view channel, std::string_view text) {
    if (!out_) return;
    stamp();
    out_ << channel << " -- " << text << '\n' << std::flush;
}

}  // namespace platform
