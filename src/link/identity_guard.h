#pragma once
// Which instrument a conversation is with. The serial recovery reopens the port by its path and
// an instrument restart may come back behind the same path as another device (a USB-serial
// adapter enumerated anew, a path that is a link); before anything more goes out after either,
// the instrument is asked who it is and compared with the one that opened the conversation:
// the protocol of its identification, the NVRAM header (0..11) and its name (106: length and
// characters), as far as the conversation has read them. The tool's own writes make it forget
// what they wrote until it is read again, so a format or a new name is never taken for another
// instrument.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krnlink {

class IdentityGuard {
public:
    // The watched NVRAM: the header, and the name with its length byte (64 characters at most).
    static constexpr std::int32_t kHeaderBytes = 12;
    static constexpr std::int32_t kName = 106;
    static constexpr std::int32_t kNameBytes = 65;

    // A new conversation: nothing known, nothing to check.
    void reset();
    // A request as sent (LEN, command, arguments, CHK) and, when `ok`, its answer (count, data):
    // identification, reads and writes of the watched bytes, the memory test (which rewrites
    // the memory) and the restart commands (after which the instrument is checked again).
    void observe(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer,
                 bool ok);
    // The channel was opened again, or the instrument restarted: check before the next request.
    void suspect() { pending_ = true; }
    bool pending() const { return pending_; }
    void confirmed() { pending_ = false; }

    // What there is to compare.
    std::optional<std::uint8_t> protocol() const { return protocol_; }
    struct Run {
        std::int32_t address;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Run> knownRuns() const;
    // Whether any header or name byte is known: only then is a check made.
    bool knowsAnything() const;
    // "its protocol", "its NVRAM header" or "its name": what an address belongs to.
    static const char* partOf(std::int32_t address);

private:
    static std::optional<std::size_t> slot(std::int32_t address);
    void learn(std::int32_t address, std::span<const std::uint8_t> bytes);
    void forget(std::int32_t address, std::size_t count);

    static constexpr std::size_t kWatched = kHeaderBytes + kNameBytes;
    std::array<std::uint8_t, kWatched> value_{};
    std::array<bool, kWatched> known_{};
    std::optional<std::uint8_t> protocol_;
    bool pending_ = false;
};

}  // namespace krnlink
