#pragma once
// One channel to the instrument: the serial port, the USB bridge or the Ethernet module. A
// transport moves bytes and knows its channel's own waits and recovery; the frame link above it
// decides what to send, how many attempts an exchange gets and how an answer is read.
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/frame_trace.h"

namespace krnlink {

enum class Channel { Serial, Usb, Ethernet };
const char* channelName(Channel c);

class Transport {
public:
    explicit Transport(platform::Clock& clock) : clock_(clock) {}
    virtual ~Transport() = default;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    virtual Channel channel() const = 0;
    // How long one wait for input may last on this channel.
    virtual platform::Duration waitLimit() const = 0;
    // How long the line must stay silent to count as quiet: a few byte times at 115200 baud
    // plus what the channel adds on its way (the port's or the chip's latency, the module's
    // gathering of a datagram).
    virtual platform::Duration quietWindow() const = 0;

    // Opens the channel and checks that the line is usable; false when it is not (the caller
    // then closes it).
    virtual bool open() = 0;
    virtual void close() = 0;
    // Whether the channel can carry an exchange now.
    virtual bool ready() { return true; }
    // Sends the bytes in one write; false when not all of them went out.
    virtual bool send(platform::ByteSpan bytes) = 0;
    // Takes exactly n bytes into out; false when they do not all come within the limit. How
    // the limit runs is the channel's rule: per byte on the serial line, from the first partial
    // read on USB, for the whole read on Ethernet.
    virtual bool read(std::uint8_t* out, std::size_t n, platform::Duration limit) = 0;
    // Bytes that have arrived and are not taken yet.
    virtual std::size_t waiting() = 0;
    // Blocks until at least n bytes are waiting or the limit passes, in the channel's own wait;
    // every look at the input is counted in polls. The deadline is taken from the clock.
    bool waitFor(std::size_t n, platform::Duration limit, std::int32_t& polls);
    // Drops everything received so far.
    virtual void discard() = 0;
    // Drops what has come and waits until the line stays silent for the quiet window; what
    // arrives meanwhile is dropped too. False when the line does not fall silent within the
    // wait limit.
    bool settle();
    // True when nothing more arrives within the quiet window; what does arrive is dropped.
    bool quietAfterAnswer();
    // Brings the instrument back to the start of a frame with its idle filler, the zero byte;
    // true when it echoes again.
    virtual bool resynchronise() = 0;
    // What the channel does after a failed attempt, before the next one. False when the
    // channel is gone (the link then closes).
    virtual bool recover() = 0;

    // Sends one byte and, with echo check, waits for it to come back (pending input is dropped
    // first, so that the echo is recognisable).
    bool sendByte(std::uint8_t b, bool withEcho, std::int32_t& polls);

    void setTrace(platform::FrameTrace* trace) { trace_ = trace; }
    // How many bytes have come from the instrument so far, taken or dropped: a failed exchange
    // that leaves it unchanged heard nothing at all.
    std::uint64_t received() const { return received_; }
    // Whether the channel was closed and opened again by its path since the last call (the
    // serial recovery does): the device behind the path may be another one now.
    bool takeReopened() { return std::exchange(reopened_, false); }

protected:
    // Blocks until new input may have come or at most `left` has passed, without spinning;
    // false when the channel cannot wait (it is closed).
    virtual bool waitForInput(platform::Duration left) = 0;
    // A wait limit for the ports' and sockets' own waits: whole milliseconds, at least one.
    static std::chrono::milliseconds atLeastOneMs(platform::Duration d);
    // The tail of every resynchronisation: wait for the echoes of a zero burst, then one zero
    // byte with echo check.
    bool settleAfterBurst(std::size_t burst);
    void traceBytes(platform::FrameTrace::Direction dir, platform::ByteSpan bytes);
    void traceNote(std::string_view text);

    platform::Clock& clock_;
    platform::FrameTrace* trace_ = nullptr;
    std::uint64_t received_ = 0;
    bool reopened_ = false;
};

}  // namespace krnlink
