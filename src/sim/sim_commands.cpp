#include "sim/sim_commands.h"

#include <algorithm>

#include "platform/protocol.h"
#include "sim/nvram_image.h"
#include "sim/sim_display.h"
#include "sim/sim_instrument.h"
#include "sim/sim_memory_check.h"

namespace sim {
namespace {

using platform::Bytes;
namespace cmd = platform::cmd;

std::uint32_t address(platform::ByteSpan args) {
    return args[0] | (args[1] << 8) | (static_cast<std::uint32_t>(args[2]) << 16);
}

bool inRange(const std::vector<std::uint8_t>& memory, std::uint32_t a, std::size_t n) {
    return a <= memory.size() && n <= memory.size() - a;
}

Bytes readNvram(SimInstrument& in, platform::ByteSpan args, std::size_t n) {
    if (args.size() != 3) return {};
    const std::uint32_t a = address(args);
    if (!inRange(in.nvram(), a, n) || in.unreadable(a, n)) return {};
    auto& nv = in.nvram();
    Bytes data(nv.begin() + a, nv.begin() + a + static_cast<std::ptrdiff_t>(n));
    for (auto it = in.faultyCells().lower_bound(a); it != in.faultyCells().end() && *it < a + n;
         ++it)
        data[*it - a] ^= 0x01;
    return data;
}

Bytes writeNvram(SimInstrument& in, platform::ByteSpan args, std::size_t exactly) {
    if (args.size() < 4 || (exactly != 0 && args.size() != 3 + exactly)) return {0};
    const std::uint32_t a = address(args);
    const std::size_t n = args.size() - 3;
    if (!inRange(in.nvram(), a, n)) return {0};
    std::copy(args.begin() + 3, args.end(), in.nvram().begin() + a);
    return {1};
}

Bytes pressControl(SimInstrument& in, platform::ByteSpan args) {
    if (args.size() != 1) return {0};
    switch (args[0]) {
        case platform::press::Release:
            in.setPressLocked(false);
            return {1};
        case platform::press::Lock:
            if (in.pressLockRefused()) return {0};
            in.setPressLocked(true);
            return {1};
        case platform::press::EndConversation:
            return {1};
        default:
            return {0};
    }
}

// Flash: read through the mask, erase 64-byte sectors, program 8-byte blocks (programming can
// only clear bits, as on the real part).
Bytes flashCommand(SimInstrument& in, std::uint8_t code, platform::ByteSpan args) {
    if (args.size() < 3) return {0};
    const std::uint32_t a = address(args);
    auto& flash = in.flash();
    switch (code) {
        case cmd::ReadFlash:
            if (args.size() != 3 || !inRange(flash, a, 1)) return {};
            return {static_cast<std::uint8_t>(flash[a] ^ kFlashReadMask)};
        case cmd::ClearFlash:
            if (args.size() != 3 || a % 64 != 0 || !inRange(flash, a, 64)) return {0};
            std::fill_n(flash.begin() + a, 64, 0xFF);
            in.countFlashErase();
            return {1};
        default: {  // cmd::WriteFlashBlock
            if (args.size() != 11 || a % 8 != 0 || !inRange(flash, a, 8)) return {0};
            in.countFlashProgram();
            if (in.takeBadFlashProgram()) return {1};  // confirmed, but nothing programmed
            for (std::size_t i = 0; i < 8; ++i) flash[a + i] &= args[3 + i];
            return {1};
        }
    }
}

Bytes capabilityRecord(const Profile& p) {
    const CapabilityRecord& c = p.capability;
    Bytes r = {c.jobHeader,
               c.phaseBase,
               c.bandPoints,
               c.checkpoints,
               c.statusSize,
               c.flags,
               c.phaseExtra,
               0,
               c.inputs,
               c.outputs,
               0,
               static_cast<std::uint8_t>(c.memorySize),
               static_cast<std::uint8_t>(c.memorySize >> 8),
               static_cast<std::uint8_t>(c.memorySize >> 16),
               13,
               44,
               static_cast<std::uint8_t>(c.fieldBus),
               static_cast<std::uint8_t>(c.fieldBus >> 8),
               static_cast<std::uint8_t>(c.bufferSize),
               static_cast<std::uint8_t>(c.bufferSize >> 8),
               c.phases};
    r.resize(static_cast<std::size_t>(std::clamp(c.length, 0, static_cast<int>(r.size()))));
    return r;
}

std::uint8_t bcd(int v) {
    return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10));
}
int fromBcd(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

Bytes readClock(const SimInstrument& in, platform::TimePoint t) {
    const platform::LocalDateTime c = in.clockAt(t);
    return {bcd(c.second),
            bcd(c.minute),
            bcd(c.hour),
            bcd(c.day),
            static_cast<std::uint8_t>(c.dayOfWeek + 1),
            bcd(c.month),
            bcd(c.year % 100)};
}

Bytes setClock(SimInstrument& in, platform::TimePoint t, platform::ByteSpan a) {
    if (a.size() != 7) return {0};
    platform::LocalDateTime c{2000 + fromBcd(a[6]),
                              fromBcd(a[5]),
                              fromBcd(a[3]),
                              fromBcd(a[2]),
                              fromBcd(a[1]),
                              fromBcd(a[0]),
                              0};
    if (c.second > 59 || c.minute > 59 || c.hour > 23 || c.day < 1 || c.day > 31 || c.month < 1 ||
        c.month > 12 || a[4] < 1 || a[4] > 7)
        return {0};
    in.setClock(c, t);
    return {1};
}

std::optional<Bytes> restartCommand(SimInstrument& in, platform::TimePoint t, std::uint8_t code,
                                    platform::ByteSpan args) {
    if (code == cmd::RestartOrDiagnostic && !args.empty())
        return Bytes(7, 0);  // diagnostic flags, all at rest
    in.restart(t);
    if (code == cmd::Restart) return std::nullopt;
    return Bytes{1};
}

}  // namespace

std::optional<Bytes> answerCommand(SimInstrument& in, platform::TimePoint t, std::uint8_t code,
                                   platform::ByteSpan args) {
    const Profile& p = in.profile();
    switch (code) {
        case cmd::Identify:
            return Bytes{
                static_cast<std::uint8_t>(p.extensionByte | (in.loaderActive() ? 0x80 : 0)),
                p.protocol};
        case cmd::RestartOrDiagnostic:
        case cmd::Restart:
            return restartCommand(in, t, code, args);
        case cmd::WriteNVRam:
            return writeNvram(in, args, 0);
        case cmd::ReadNVRam1Byte:
            return readNvram(in, args, 1);
        case cmd::ReadFlash:
        case cmd::ClearFlash:
        case cmd::WriteFlashBlock:
            return flashCommand(in, code, args);
        default:
            break;
    }
    // The loader serves identification, byte access to NVRAM, flash and restarts; anything else
    // gets a single 0.
    if (in.loaderActive()) return Bytes{0};
    switch (code) {
        case cmd::RemoteChange:
            return Bytes{1};
        case cmd::ChangeFlags:
            return Bytes{0};
        case cmd::Status:
            return Bytes{0, 0, static_cast<std::uint8_t>(in.currentJob()), 0};
        case cmd::JobChanged:
            in.notifyJob();
            return Bytes{1};
        case cmd::HistoryState: {
            const std::uint32_t record = jobGeometry(p).jobSize() + 8;
            return Bytes{static_cast<std::uint8_t>(kUserAreaSize & 0xFF),
                         static_cast<std::uint8_t>(kUserAreaSize >> 8),
                         kPointerSize,
                         kVersionsPerJob,
                         static_cast<std::uint8_t>(record & 0xFF),
                         static_cast<std::uint8_t>(record >> 8),
                         0};
        }
        case cmd::ChangeJob:
            if (args.size() != 1 || args[0] == 0) return Bytes{0};
            in.setCurrentJob(args[0]);
            return Bytes{1};
        case cmd::Version:
            return Bytes{static_cast<std::uint8_t>(p.version & 0xFF),
                         static_cast<std::uint8_t>(p.version >> 8)};
        case cmd::ReadNVRam2Bytes:
            return readNvram(in, args, 2);
        case cmd::ReadNVRam3Bytes:
            return readNvram(in, args, 3);
        case cmd::PressControl:
            return pressControl(in, args);
        case cmd::Keyboard:
            if (args.size() != 1) return Bytes{0};
            in.setKeyboardLocked(args[0] != 0);
            return Bytes{1};
        case cmd::OperatingState:
            return Bytes{1};  // running normally
        case cmd::ReadDisplayMemory:
            return readDisplayMemory(in, args);
        case cmd::ReadClock:
            if (!p.hasClock) return Bytes{};
            return readClock(in, t);
        case cmd::SetClock:
            if (!p.hasClock) return Bytes{0};
            return setClock(in, t, args);
        case cmd::ClockQuery:
            return Bytes{static_cast<std::uint8_t>(p.hasClock ? 1 : 0)};
        case cmd::ExtendedCapabilities:
            if (p.protocol >= 41)
                return Bytes{static_cast<std::uint8_t>(p.hasClock ? 1 : 0), 0, 0, 0, 0, 0, 0, 0};
            return Bytes{static_cast<std::uint8_t>(p.hasPlc ? 1 : 0)};
        case cmd::CapabilityRecord:
            return capabilityRecord(p);
        case cmd::WriteNVRam10Bytes:
            return writeNvram(in, args, 10);
        case cmd::ReadNVRamBlock:
            return readNvram(in, args, 15);
        case cmd::StartMemoryTest:
        case cmd::MemoryTestState:
        case cmd::StopMemoryTest:
            return memoryTestCommand(in, t, code, args);
        case cmd::JobList:
            if (p.maxNameLength == 0) return Bytes{};
            return Bytes{p.maxNameLength};
        default:
            return Bytes{};
    }
}

}  // namespace sim
