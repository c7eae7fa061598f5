// The instrument of a conversation: what the conversation learnt of it, and the check after a
// reopen or a restart.
#include "link/identity_guard.h"

#include <algorithm>

#include "link/frame_link.h"
#include "platform/protocol.h"

namespace krnlink {

namespace cmd = platform::cmd;

namespace {

std::int32_t addressOf(std::span<const std::uint8_t> request) {
    return request[2] | (request[3] << 8) | (request[4] << 16);
}

}  // namespace

void IdentityGuard::reset() {
    known_.fill(false);
    protocol_.reset();
    pending_ = false;
}

std::optional<std::size_t> IdentityGuard::slot(std::int32_t address) {
    if (address >= 0 && address < kHeaderBytes) return static_cast<std::size_t>(address);
    if (address >= kName && address < kName + kNameBytes)
        return static_cast<std::size_t>(kHeaderBytes + address - kName);
    return std::nullopt;
}

void IdentityGuard::learn(std::int32_t address, std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (const auto s = slot(address + static_cast<std::int32_t>(i))) {
            value_[*s] = bytes[i];
            known_[*s] = true;
        }
}

void IdentityGuard::forget(std::int32_t address, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (const auto s = slot(address + static_cast<std::int32_t>(i))) known_[*s] = false;
}

void IdentityGuard::observe(std::span<const std::uint8_t> request,
                            std::span<const std::uint8_t> answer, bool ok) {
    const std::uint8_t len = request[0];
    if (len < 2) return;
    const std::uint8_t code = request[1];
    const std::size_t count = answer[0];
    switch (code) {
        case cmd::Identify:
            if (ok && count >= 2 && !protocol_) protocol_ = answer[2];
            return;
        case cmd::ReadNVRam1Byte:
        case cmd::ReadNVRam2Bytes:
        case cmd::ReadNVRam3Bytes:
        case cmd::ReadNVRamBlock:
            if (ok && len >= 5) learn(addressOf(request), answer.subspan(1, count));
            return;
        case cmd::WriteNVRam:
        case cmd::WriteNVRam10Bytes: {
            if (len < 6) return;
            // What the instrument holds after a write is known when it is read again: a faulty
            // cell, or a write whose answer was lost, may hold something else.
            forget(addressOf(request), len - 5u);
            return;
        }
        case cmd::StartMemoryTest:
            known_.fill(false);  // the instrument's own test rewrites the memory
            return;
        case cmd::Restart:
            suspect();
            return;
        case cmd::RestartOrDiagnostic:
            if (len == 2) suspect();  // without the diagnostic's argument it restarts
            return;
        default:
            return;
    }
}

bool IdentityGuard::knowsAnything() const {
    // The protocol alone tells too little to stop a conversation for (and a raw link that read
    // no header or name has nothing to compare); it is compared when there is more.
    for (bool k : known_)
        if (k) return true;
    return false;
}

std::vector<IdentityGuard::Run> IdentityGuard::knownRuns() const {
    std::vector<Run> runs;
    const auto collect = [&](std::int32_t base, std::size_t first, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            if (!known_[first + i]) continue;
            const auto address = base + static_cast<std::int32_t>(i);
            if (runs.empty() ||
                runs.back().address + static_cast<std::int32_t>(runs.back().bytes.size()) !=
                    address)
                runs.push_back({address, {}});
            runs.back().bytes.push_back(value_[first + i]);
        }
    };
    collect(0, 0, kHeaderBytes);
    // The name as far as its known length reaches: the bytes after it belong to other settings.
    const std::size_t length = kHeaderBytes;
    if (known_[length])
        collect(kName, length, std::min<std::size_t>(1u + value_[length], kNameBytes));
    return runs;
}

const char* IdentityGuard::partOf(std::int32_t address) {
    return address < kHeaderBytes ? "its NVRAM header" : "its name";
}

// --- the check, a member of the link --------------------------------------------------------

FrameLink::IdentityCheck FrameLink::checkIdentity() {
    IdentityCheck check;
    if (!ComandoSemplice(cmd::Identify, false) || BufferRx[0] < 2) return check;
    if (guard_.protocol() && BufferRx[2] != *guard_.protocol()) {
        check.answered = true;
        check.what = "its protocol";
        return check;
    }
    // Byte by byte: the firmware loader, which a restart may have started, reads nothing else.
    for (const IdentityGuard::Run& run : guard_.knownRuns()) {
        for (std::size_t at = 0; at < run.bytes.size(); ++at) {
            const std::int32_t address = run.address + static_cast<std::int32_t>(at);
            BufferTx[0] = 4;
            BufferTx[1] = cmd::ReadNVRam1Byte;
            BufferTx[2] = static_cast<std::uint8_t>(address & 0xFF);
            BufferTx[3] = static_cast<std::uint8_t>((address >> 8) & 0xFF);
            BufferTx[4] = static_cast<std::uint8_t>((address >> 16) & 0xFF);
            if (!EseguiTransazione(false) || BufferRx[0] != 1) return check;
            if (BufferRx[1] == run.bytes[at]) continue;
            check.answered = true;
            check.what = IdentityGuard::partOf(address);
            return check;
        }
    }
    check.answered = true;
    return check;
}

bool FrameLink::sameInstrument() {
    if (verifying_ || !transport_) return true;
    if (transport_->takeReopened()) guard_.suspect();
    if (!guard_.pending()) return true;
    if (!guard_.knowsAnything()) {
        guard_.confirmed();  // nothing learnt yet that another instrument could contradict
        return true;
    }
    traceNote("the port was opened again or the instrument restarted: who answers now?");
    verifying_ = true;
    const FrameBuffer request = BufferTx;
    const IdentityCheck check = checkIdentity();
    BufferTx = request;
    verifying_ = false;
    // A reopen during the check leaves it to be made again.
    const bool reopened = transport_ && transport_->takeReopened();
    if (check.what) {
        changed_ = check.what;
        traceNote("another instrument answers (" + *check.what + " differs): link closed");
        dropTransport();
        return false;
    }
    // Nothing goes out to an instrument that could not be checked.
    if (!check.answered || reopened) return false;
    guard_.confirmed();
    return true;
}

}  // namespace krnlink
