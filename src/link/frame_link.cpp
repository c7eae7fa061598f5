// The exchange: the attempts each channel allows, the request as the channel sends it, the one
// answer reader (LEN, data and CHK) and the byte operations on the open channel.
#include "link/frame_link.h"

#include <algorithm>

#include "platform/protocol.h"

namespace krnlink {

UsbWriteMode usbWriteMode(const InstrumentFlags& f) {
    if (f.Estensioni == 0) return UsbWriteMode::PerByte;
    if (f.Estensioni >= 1060) return UsbWriteMode::Block;
    if (f.UpdateMode && f.Estensioni < 32) return UsbWriteMode::PerByte;
    if (!f.TastatoreCollegato) return UsbWriteMode::Block;
    if (f.UpdateMode) return UsbWriteMode::Block;
    if (f.PressaBloccata) return UsbWriteMode::Paced;
    return UsbWriteMode::PerByte;
}

// How many attempts an exchange gets on a channel and what happens between them.
struct FrameLink::AttemptPolicy {
    int attempts;
    bool senzaRitentativiCounts;    // senzaRitentativi stops after the first failed attempt
    bool answerFailureIsFinal;      // once a valid LEN came, a failure ends the exchange
    bool recoversAfterLastAttempt;  // the recovery follows the last failed attempt too
    bool raisesNoise;               // the recovery raises onNoise
    bool closesWhenRecoveryFails;   // a channel that cannot be recovered is gone
};

const FrameLink::AttemptPolicy& FrameLink::policyFor(Channel c) {
    static const AttemptPolicy serial{2, false, true, false, false, false};
    static const AttemptPolicy usb{2, true, false, false, true, true};
    static const AttemptPolicy ethernet{4, true, false, true, false, false};
    switch (c) {
        case Channel::Usb:
            return usb;
        case Channel::Ethernet:
            return ethernet;
        case Channel::Serial:
            break;
    }
    return serial;
}

UsbWriteMode FrameLink::writeModeFor(Channel c) const {
    switch (c) {
        case Channel::Usb:
            return usbWriteMode(flags);
        case Channel::Ethernet:
            return UsbWriteMode::Block;
        case Channel::Serial:
            break;
    }
    return UsbWriteMode::PerByte;
}

FrameLink::FrameLink(platform::Clock& clock, platform::UsbBridge* usb,
                     platform::SerialPortEnumerator* ports, InstrumentFlags& facts)
    : flags(facts), clock_(clock), usb_(usb), ports_(ports) {}

FrameLink::~FrameLink() {
    // The owner has had its onClose when it closed the link; nothing is called back from here.
    if (transport_) transport_->close();
}

void FrameLink::AggiungiChecksum() {
    BufferTx[0] = static_cast<std::uint8_t>(BufferTx[0] + 1);
    std::size_t n = BufferTx[0];
    if (n > 50) return;  // never prepared by the tool; the exchange refuses it
    BufferTx[n] = platform::frameChecksum(std::span(BufferTx.data(), n));
}

bool FrameLink::checksumOk(int len) const {
    // BufferRx[0] holds LEN, BufferRx[1..len-1] the data, BufferRx[len] the CHK.
    return platform::frameChecksum(std::span(BufferRx.data(), static_cast<std::size_t>(len))) ==
           BufferRx[static_cast<std::size_t>(len)];
}

bool FrameLink::keepWaiting() {
    if (abandoned_) return false;
    if (betweenWaits && !betweenWaits() && opening_) {
        traceNote("open given up");
        abandoned_ = true;
    }
    return !abandoned_;
}

bool FrameLink::EseguiTransazione(bool senzaRitentativi) {
    BufferRx[0] = 0;
    if (BufferTx[0] < 1 || BufferTx[0] > 49 || abandoned_) return false;
    // Nothing goes out to an instrument that may not be the conversation's own.
    if (!sameInstrument()) return false;
    AggiungiChecksum();
    bool ok = attempts(senzaRitentativi);
    if (ok && answerAmbiguous()) ok = confirmAnswer(senzaRitentativi);
    if (!verifying_) guard_.observe(BufferTx, BufferRx, ok);
    return ok;
}

bool FrameLink::attempts(bool senzaRitentativi) {
    BufferRx[0] = 0;
    const Channel channel = currentChannel();
    traceFrame(channel, platform::FrameTrace::Direction::Tx, true);
    bool ok = false;
    const std::uint64_t heardBefore = transport_ ? transport_->received() : 0;
    if (transport_ && transport_->ready()) {
        const AttemptPolicy& policy = policyFor(channel);
        for (int n = 1; n <= policy.attempts && transport_; ++n) {
            traceNote("attempt " + std::to_string(n) + " of " + std::to_string(policy.attempts));
            bool answerBegun = false;
            if (attempt(answerBegun)) {
                ok = true;
                break;
            }
            // Once an attempt has failed, an answer may still come after the tool has given up.
            suspectFor_ = kCleanExchangesToTrust;
            ++failedAttempts_;
            if (answerBegun && policy.answerFailureIsFinal) break;
            if (senzaRitentativi && policy.senzaRitentativiCounts) break;
            if (n == policy.attempts && !policy.recoversAfterLastAttempt) break;
            if (!keepWaiting() || !recoverAfterFailedAttempt(policy) || !keepWaiting()) break;
            // The recovery may have opened the port again: the next attempt waits for the check.
            if (!sameInstrument()) break;
        }
    } else {
        traceNote("no open channel");
    }
    // A channel that was lost (or never open) carries nothing further either.
    const bool heardNothing = transport_ && transport_->received() == heardBefore;
    dead_ = !ok && (!transport_ || heardNothing);
    if (!ok && heardNothing) traceNote("nothing heard from the instrument: the line is dead");
    traceFrame(channel, platform::FrameTrace::Direction::Rx, ok);
    return ok;
}

bool FrameLink::answerAmbiguous() const {
    // Requests whose answer stays the same when asked twice; live values (clock, status,
    // memory test, display, diagnostics) may change between two answers.
    static constexpr std::uint8_t kSteadyReads[] = {
        platform::cmd::Identify,         platform::cmd::MemoryMap,
        platform::cmd::InstrumentName,   platform::cmd::Version,
        platform::cmd::ReadNVRam1Byte,   platform::cmd::ReadNVRam2Bytes,
        platform::cmd::ReadNVRam3Bytes,  platform::cmd::OperatingState,
        platform::cmd::ReadFlash,        platform::cmd::ClockQuery,
        platform::cmd::HistoryState,     platform::cmd::ExtendedCapabilities,
        platform::cmd::CapabilityRecord, platform::cmd::ReadNVRamBlock,
        platform::cmd::BackupSupport,    platform::cmd::JobList,
    };
    if (BufferRx[0] < 1 || std::find(std::begin(kSteadyReads), std::end(kSteadyReads),
                                     BufferTx[1]) == std::end(kSteadyReads))
        return false;
    const auto len = static_cast<std::size_t>(BufferRx[0]) + 1;
    platform::Bytes frame{static_cast<std::uint8_t>(len)};
    frame.insert(frame.end(), BufferRx.begin() + 1, BufferRx.begin() + static_cast<long>(len));
    return platform::frameChecksum(frame) == 1;
}

bool FrameLink::confirmAnswer(bool senzaRitentativi) {
    // A flipped low bit moves a sum of 0 to 1 (or back) and leaves CHK at 1: the request is
    // made again until two answers agree.
    FrameBuffer first = BufferRx;
    for (int i = 0; i < kAmbiguousRepeats; ++i) {
        traceNote("answer with checksum 1: asked again");
        if (!attempts(senzaRitentativi)) return false;
        if (std::equal(first.begin(), first.begin() + first[0] + 1, BufferRx.begin())) return true;
        first = BufferRx;
    }
    traceNote("answers with checksum 1 disagree");
    BufferRx[0] = 0;
    return false;
}

bool FrameLink::attempt(bool& answerBegun) {
    // A suspect line proves itself quiet before the request and after the answer, so that a
    // late answer to an earlier request is never taken for this one's.
    const bool checked = suspectFor_ > 0;
    if (checked && !transport_->settle()) traceNote("line still busy before the request");
    platform::Duration pause{};
    if (!sendRequest(writeModeFor(transport_->channel()), pause)) return false;
    if (checked && pause > kRequestPauseLimit) {
        // The instrument drops a frame whose bytes stop coming for a while and takes the next
        // byte for the start of a new one; if that one ends with the request, a late answer
        // may be released behind its echo with nothing after it to give it away. The answer
        // is not taken, and the channel recovers as after a missing answer.
        traceNote("pause of " + std::to_string(pause.count() / 1000000) +
                  " ms inside the request on a suspect line: its answer is not taken");
        return false;
    }
    if (!readAnswer(answerBegun)) return false;
    if (!checked) return true;
    if (!transport_->quietAfterAnswer()) {
        // The bytes that follow belong to another answer: the attempt fails and the channel
        // recovers as after a missing answer.
        answerBegun = false;
        return false;
    }
    --suspectFor_;
    return true;
}

bool FrameLink::readAnswer(bool& answerBegun) {
    // LEN, then LEN bytes: the data and the CHK.
    const platform::Duration limit = transport_->waitLimit();
    std::uint8_t len = 0;
    if (!transport_->read(&len, 1, limit)) return false;
    if (len < 1 || len > 50) {
        traceNote("answer length " + std::to_string(len) + " refused");
        return false;
    }
    answerBegun = true;
    BufferRx[0] = len;
    if (!transport_->read(BufferRx.data() + 1, len, limit)) return false;
    if (!checksumOk(len)) {
        traceNote("wrong checksum");
        return false;
    }
    BufferRx[0] = static_cast<std::uint8_t>(len - 1);
    return true;
}

namespace {
// Empty loop passes between the bytes of a paced write; the instrument's firmware needs the gap.
// The counter is the call's own: links on several threads (the fleet backup) share nothing here.
void pacingDelay(std::int32_t passes) {
    volatile std::int32_t sink = 0;
    for (std::int32_t k = 0; k < passes; ++k) sink = sink + 1;
}
}  // namespace

bool FrameLink::sendRequest(UsbWriteMode mode, platform::Duration& longestPause) {
    const std::size_t requestBytes = BufferTx[0] + 1u;
    const platform::ByteSpan request(BufferTx.data(), requestBytes);
    longestPause = platform::Duration::zero();
    if (mode == UsbWriteMode::PerByte) {
        // Each byte waits for the echo of the one before it; the longest wait is kept.
        std::optional<platform::TimePoint> last;
        for (std::uint8_t b : request) {
            const platform::TimePoint now = clock_.now();
            if (last) longestPause = std::max(longestPause, now - *last);
            last = now;
            if (!transport_->sendByte(b, true, ConteggioAttesa)) {
                traceNote("no matching echo of " + platform::toHex(std::span(&b, 1)));
                return false;
            }
        }
        return true;
    }
    transport_->discard();
    if (mode == UsbWriteMode::Block) {
        if (!transport_->send(request)) return false;
    } else {
        for (std::size_t i = 0; i < requestBytes; ++i) {
            if (i > 0) pacingDelay(CostanteRitardoUSB / 100000);
            if (!transport_->send(request.subspan(i, 1))) return false;
        }
    }
    std::array<std::uint8_t, 51> echo{};
    if (!transport_->read(echo.data(), requestBytes, transport_->waitLimit())) return false;
    if (!std::equal(request.begin(), request.end(), echo.begin())) {
        traceNote("wrong echo");
        return false;
    }
    return true;
}

bool FrameLink::recoverAfterFailedAttempt(const AttemptPolicy& policy) {
    if (policy.raisesNoise && onNoise) onNoise();
    if (transport_->recover()) return true;
    if (policy.closesWhenRecoveryFails) {
        // The exchange never moves to another channel: without its device the link is closed.
        traceNote("channel lost; link closed");
        dropTransport();
    }
    return false;
}

bool FrameLink::prepare(const Request& request) {
    const auto bytes = request.payload();
    BufferTx[0] = static_cast<std::uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), BufferTx.begin() + 1);
    return !bytes.empty();
}

bool FrameLink::exchange(const Request& request, bool senzaRitentativi) {
    prepare(request);  // a refused request leaves LEN 0, which the exchange refuses
    return EseguiTransazione(senzaRitentativi);
}

bool FrameLink::ComandoSemplice(std::uint8_t codice, bool senzaRitentativi) {
    return exchange(Request(codice), senzaRitentativi);
}

bool FrameLink::ComandoConConferma() {
    return EseguiTransazione(false) && BufferRx[0] == 1 && BufferRx[1] == 1;
}

bool FrameLink::Risincronizza() {
    return transport_ && transport_->resynchronise();
}

bool FrameLink::RiapriUSB() {
    if (transport_ && transport_->channel() == Channel::Usb)
        recoverAfterFailedAttempt(policyFor(Channel::Usb));
    return true;
}

// --- byte operations ------------------------------------------------------------------------

int FrameLink::ByteInIngresso() {
    return transport_ ? static_cast<int>(transport_->waiting()) : 0;
}

bool FrameLink::AttendiByte(int n) {
    ConteggioAttesa = 0;
    return transport_ && n >= 0 &&
           transport_->waitFor(static_cast<std::size_t>(n), transport_->waitLimit(),
                               ConteggioAttesa);
}

bool FrameLink::InviaByte(std::uint8_t b, bool conEco) {
    return transport_ && transport_->sendByte(b, conEco, ConteggioAttesa);
}

std::optional<std::uint8_t> FrameLink::RiceviByte() {
    std::uint8_t b = 0;
    if (!AttendiByte(1) || !transport_->read(&b, 1, transport_->waitLimit())) return std::nullopt;
    return b;
}

// --- trace ----------------------------------------------------------------------------------

void FrameLink::setTrace(platform::FrameTrace* trace) {
    trace_ = trace;
    if (transport_) transport_->setTrace(trace);
}

void FrameLink::traceFrame(Channel channel, platform::FrameTrace::Direction dir, bool ok) {
    if (!trace_) return;
    const char* ch = channelName(channel);
    const std::uint8_t cmd = BufferTx[1];
    if (dir == platform::FrameTrace::Direction::Tx) {
        trace_->frame(ch, dir,
                      std::span(BufferTx.data(), static_cast<std::size_t>(BufferTx[0]) + 1), cmd);
    } else if (ok) {
        // The answer frame as it was on the wire: LEN, data, CHK.
        platform::Bytes answer;
        answer.push_back(static_cast<std::uint8_t>(BufferRx[0] + 1));
        answer.insert(answer.end(), BufferRx.begin() + 1, BufferRx.begin() + 1 + BufferRx[0]);
        answer.push_back(platform::frameChecksum(answer));
        trace_->frame(ch, dir, answer, cmd);
    } else {
        trace_->note(ch, "exchange failed");
    }
}

void FrameLink::traceNote(const std::string& text) {
    if (trace_) trace_->note(channelName(currentChannel()), text);
}

}  // namespace krnlink
