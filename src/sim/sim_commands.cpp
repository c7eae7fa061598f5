#include "sim/sim_commands.h"

#include "sim/sim_instrument.h"

namespace sim {
namespace {

std::uint32_t address(platform::ByteSpan args) {
    return args[0] | (args[1] << 8) | (static_cast<std::uint32_t>(args[2]) << 16);
}

// NVRAM bytes [a, a + n) when they exist.
bool inRange(const SimInstrument& instrument, std::uint32_t a, std::size_t n) {
    const std::size_t size = instrument.nvram().size();
    return a <= size && n <= size - a;
}

std::optional<platform::Bytes> readNvram(SimInstrument& in, platform::ByteSpan args, std::size_t n) {
    if (args.size() != 3) return platform::Bytes{};
    const std::uint32_t a = address(args);
    if (!inRange(in, a, n)) return platform::Bytes{};
    auto& nv = in.nvram();
    return platform::Bytes(nv.begin() + a, nv.begin() + a + static_cast<std::ptrdiff_t>(n));
}

std::optional<platform::Bytes> writeNvram(SimInstrument& in, platform::ByteSpan args,
                                          std::size_t exactly) {
    if (args.size() < 4 || (exactly != 0 && args.size() != 3 + exactly)) return platform::Bytes{0};
    const std::uint32_t a = address(args);
    const std::size_t n = args.size() - 3;
    if (!inRange(in, a, n)) return platform::Bytes{0};
    std::copy(args.begin() + 3, args.end(), in.nvram().begin() + a);
    return platform::Bytes{1};
}

std::optional<platform::Bytes> pressControl(SimInstrument& in, platform::ByteSpan args) {
    if (args.size() != 1) return platform::Bytes{0};
    switch (args[0]) {
        case 3: in.setPressLocked(false); return platform::Bytes{1};
        case 4:
            if (in.pressLockRefused()) return platform::Bytes{0};
            in.setPressLocked(true);
            return platform::Bytes{1};
        case 9: return platform::Bytes{1};
        default: return platform::Bytes{0};
    }
}

}  // namespace

std::optional<platform::Bytes> answerCommand(SimInstrument& in, platform::TimePoint t,
                                             std::uint8_t code, platform::ByteSpan args) {
    const Profile& p = in.profile();
    if (code == 1) return platform::Bytes{p.extensionByte, p.protocol};
    if (p.loader) return platform::Bytes{0};  // the loader answers identification only
    switch (code) {
        case 12: return platform::Bytes{static_cast<std::uint8_t>(p.version & 0xFF),
                                        static_cast<std::uint8_t>(p.version >> 8)};
        case 13:
            if (args.empty()) {
                in.restart(t);
                return platform::Bytes{1};
            }
            return platform::Bytes(7, 0);  // diagnostic flags and live values, all at rest
        case 14: return writeNvram(in, args, 0);
        case 15: return readNvram(in, args, 1);
        case 16: return readNvram(in, args, 2);
        case 17: return readNvram(in, args, 3);
        case 18: return pressControl(in, args);
        case 19: in.restart(t); return std::nullopt;
        case 20:
            if (args.size() != 1) return platform::Bytes{0};
            in.setKeyboardLocked(args[0] != 0);
            return platform::Bytes{1};
        case 40: return writeNvram(in, args, 10);
        case 41: return readNvram(in, args, 15);
        default: return platform::Bytes{};
    }
}

}  // namespace sim
