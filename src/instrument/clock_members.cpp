#include "instrument/clock_members.h"

#include "platform/protocol.h"

namespace instrument {
namespace {

int field(std::uint8_t b, std::uint8_t tensMask) {
    return ((b & tensMask) >> 4) * 10 + (b & 0x0F);
}
std::uint8_t packed(int v) {
    return static_cast<std::uint8_t>(((v / 10) % 10) << 4 | (v % 10));
}

}  // namespace

platform::LocalDateTime decodeClock(const std::array<std::uint8_t, 7>& b) {
    platform::LocalDateTime t;
    t.second = field(b[0], 0x70);
    t.minute = field(b[1], 0x70);
    t.hour = field(b[2], 0x30);
    t.day = field(b[3], 0x30);
    t.month = field(b[5], 0x10);
    t.year = 2000 + field(b[6], 0xF0);
    // The weekday byte is not trusted; work it out from the date.
    t.dayOfWeek = platform::fromEpochSeconds(platform::toEpochSeconds(t)).dayOfWeek;
    return t;
}

std::array<std::uint8_t, 7> encodeClock(const platform::LocalDateTime& t) {
    return {packed(t.second),
            packed(t.minute),
            packed(t.hour),
            packed(t.day),
            static_cast<std::uint8_t>(t.dayOfWeek + 1),
            packed(t.month),
            packed(t.year % 100)};
}

std::optional<platform::LocalDateTime> LeggiOra(krnlink::FrameLink& link) {
    if (!link.ComandoSemplice(platform::cmd::ReadClock, false) || link.BufferRx[0] != 7)
        return std::nullopt;
    std::array<std::uint8_t, 7> b{};
    std::copy_n(link.BufferRx.begin() + 1, 7, b.begin());
    return decodeClock(b);
}

bool SicronizzaOra(krnlink::FrameLink& link) {
    const auto bytes = encodeClock(link.clock().localNow());
    link.prepare(krnlink::Request(platform::cmd::SetClock).bytes(bytes));
    return link.ComandoConConferma();
}

}  // namespace instrument
