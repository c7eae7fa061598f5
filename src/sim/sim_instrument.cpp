#include "sim/sim_instrument.h"

#include <algorithm>
#include <utility>

#include "platform/protocol.h"
#include "sim/nvram_image.h"
#include "sim/sim_commands.h"

namespace sim {
namespace {
// One byte at 115200 baud, 8 data bits, no parity, 1 stop bit: 10 bit times.
constexpr platform::Duration kByteTime{86806};
// A frame whose bytes stop coming for this long is abandoned.
constexpr platform::Duration kFrameGap = std::chrono::milliseconds(100);
}  // namespace

SimInstrument::SimInstrument(const Profile& profile)
    : profile_(profile),
      nvram_(profile.nvramSize, 0),
      flash_(kFlashSize, 0xFF),
      loaderActive_(profile.loader) {
    formatNvram(profile_, nvram_);
}

void SimInstrument::receive(platform::ByteSpan bytes, platform::TimePoint t) {
    for (std::uint8_t b : bytes) {
        platform::TimePoint arrival = t;
        if (pacing_) {
            arrival = std::max(t, lineInFree_) + kByteTime;
            lineInFree_ = arrival;
        }
        record({arrival, true, b});
        onByte(b, arrival);
    }
}

void SimInstrument::startFrame() {
    current_.reset();
    outIndex_ = 0;
    extraDelay_ = platform::Duration::zero();
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        current_ = *it;
        faults_.erase(it);
        break;
    }
}

void SimInstrument::onByte(std::uint8_t b, platform::TimePoint arrival) {
    if (silent_ || arrival < silentUntil_) return;
    if (expected_ > 0 && arrival - lastIn_ > kFrameGap) {
        expected_ = 0;
        frame_.clear();
        current_.reset();
    }
    lastIn_ = arrival;
    if (expected_ == 0) {
        if (b == 0) {  // idle filler between frames
            sendOut(0, arrival);
            return;
        }
        startFrame();
        if (current_ && startFault(arrival)) return;
        frame_.assign(1, b);
        expected_ = b;
    } else {
        frame_.push_back(b);
        --expected_;
    }
    std::uint8_t echo = b;
    if (current_ && current_->kind == Fault::Kind::WrongEcho &&
        current_->index == static_cast<int>(frame_.size()) - 1)
        echo ^= 0x55;
    sendOut(echo, arrival);
    if (expected_ == 0) completeFrame(arrival);
}

void SimInstrument::sendOut(std::uint8_t b, platform::TimePoint earliest) {
    if (current_) {
        const int index = outIndex_++;
        if (current_->index == index) {
            switch (current_->kind) {
                case Fault::Kind::DropByte:
                    return;
                case Fault::Kind::CorruptByte:
                    b = current_->data.empty() ? static_cast<std::uint8_t>(~b)
                                               : static_cast<std::uint8_t>(b ^ current_->data[0]);
                    break;
                case Fault::Kind::DelayByte:
                    extraDelay_ = current_->delay;
                    break;
                default:
                    break;
            }
        }
    }
    platform::TimePoint t = std::max(earliest + extraDelay_, lineOutFree_);
    if (pacing_) t += kByteTime;
    lineOutFree_ = t;
    out_.push_back({t, b});
    record({t, false, b});
}

void SimInstrument::completeFrame(platform::TimePoint t) {
    recordRequest(frame_);
    const platform::Bytes request = frame_;
    frame_.clear();
    const std::size_t n = request.size();
    const bool valid =
        n >= 3 && platform::frameChecksum(std::span(request.data(), n - 1)) == request[n - 1];
    if (frameObserver) frameObserver(true, request, n >= 2 ? request[1] : 0);
    releaseHeld(t);
    std::optional<Fault> fault = current_;
    if (valid && !(fault && fault->kind == Fault::Kind::NoAnswer)) {
        std::optional<platform::Bytes> data =
            answerCommand(*this, t, request[1], platform::ByteSpan(request.data() + 2, n - 3));
        if (fault && fault->kind == Fault::Kind::Replace) data = fault->data;
        if (data) {
            platform::Bytes frame(data->size() + 2);
            frame[0] = static_cast<std::uint8_t>(data->size() + 1);
            std::copy(data->begin(), data->end(), frame.begin() + 1);
            frame.back() = platform::frameChecksum(std::span(frame.data(), frame.size() - 1));
            if (fault) {
                if (fault->kind == Fault::Kind::Len0) frame[0] = 0;
                if (fault->kind == Fault::Kind::Len51) frame[0] = 51;
                if (fault->kind == Fault::Kind::WrongChecksum) ++frame.back();
            }
            platform::TimePoint start = t + answerDelay_;
            if (fault && fault->kind == Fault::Kind::Stall) start += fault->delay;
            if (fault && fault->kind == Fault::Kind::Late) {
                held_ = frame;
                heldFrames_ = fault->index;
            } else {
                for (std::uint8_t b : frame) sendOut(b, start);
            }
            if (frameObserver) frameObserver(false, frame, request[1]);
        }
    }
    current_.reset();
}

bool SimInstrument::startFault(platform::TimePoint arrival) {
    switch (current_->kind) {
        case Fault::Kind::Noise: {
            const platform::Bytes noise = current_->data;
            current_->index = -1;  // the noise is not counted among the frame's output bytes
            for (std::uint8_t n : noise) sendOut(n, arrival);
            return false;
        }
        case Fault::Kind::Silence:
            silent_ = true;
            current_.reset();
            return true;
        case Fault::Kind::Restart:
            current_.reset();
            restart(arrival);
            return true;
        default:
            return false;
    }
}

void SimInstrument::releaseHeld(platform::TimePoint t) {
    if (!held_) return;
    if (heldFrames_-- > 0) return;
    // The held answer leaves after this frame's echo; the faults of this frame do not touch it.
    const platform::Bytes late = std::move(*held_);
    held_.reset();
    std::optional<Fault> own = std::exchange(current_, std::nullopt);
    for (std::uint8_t b : late) sendOut(b, t + answerDelay_);
    current_ = std::move(own);
}

void SimInstrument::setClock(const platform::LocalDateTime& t, platform::TimePoint at) {
    clockBase_ = platform::toEpochSeconds(t);
    clockBaseAt_ = at;
}

platform::LocalDateTime SimInstrument::clockAt(platform::TimePoint t) const {
    return platform::fromEpochSeconds(
        clockBase_ + std::chrono::duration_cast<std::chrono::seconds>(t - clockBaseAt_).count());
}

void SimInstrument::restart(platform::TimePoint t) {
    ++restarts_;
    silentUntil_ = t + restartSilence_;
    loaderActive_ = (nvram_[11] & 0x80) != 0 || (loaderStuck_ && loaderActive_);
    expected_ = 0;
    frame_.clear();
    held_.reset();
    pressLocked_ = false;
    keyboardLocked_ = false;
    memoryTest_.running = false;
}

std::size_t SimInstrument::outputReady(platform::TimePoint t) const {
    std::size_t n = 0;
    for (const Out& o : out_) {
        if (o.time > t) break;
        ++n;
    }
    return n;
}

std::size_t SimInstrument::burstReady(platform::TimePoint t, platform::Duration gap) const {
    const std::size_t n = outputReady(t);
    if (n == 0 || n == out_.size()) return n;
    return out_[n].time - out_[n - 1].time > gap ? n : 0;
}

std::optional<platform::TimePoint> SimInstrument::burstEnd(platform::Duration gap) const {
    if (out_.empty()) return std::nullopt;
    std::size_t i = 0;
    while (i + 1 < out_.size() && out_[i + 1].time - out_[i].time <= gap) ++i;
    return out_[i].time;
}

platform::Bytes SimInstrument::takeOutput(platform::TimePoint t, std::size_t max) {
    platform::Bytes bytes;
    while (!out_.empty() && out_.front().time <= t && bytes.size() < max) {
        bytes.push_back(out_.front().value);
        out_.pop_front();
    }
    return bytes;
}

std::optional<platform::TimePoint> SimInstrument::nextOutputTime() const {
    if (out_.empty()) return std::nullopt;
    return out_.front().time;
}

std::optional<platform::TimePoint> SimInstrument::nextOutputTimeAfter(platform::TimePoint t) const {
    for (const Out& o : out_)
        if (o.time > t) return o.time;
    return std::nullopt;
}

void SimInstrument::dropOutput() {
    out_.clear();
}

namespace {
// Keeps the last `limit` entries, dropping the older ones once twice as many have gathered.
template <typename T>
void keepRecent(std::vector<T>& history, std::size_t limit) {
    if (history.size() > 2 * limit)
        history.erase(history.begin(), history.end() - static_cast<std::ptrdiff_t>(limit));
}
}  // namespace

void SimInstrument::setHistoryLimit(std::size_t wireBytes, std::size_t requests) {
    wireLimit_ = wireBytes;
    requestLimit_ = requests;
    keepRecent(wire_, wireLimit_);
    keepRecent(requests_, requestLimit_);
}

void SimInstrument::record(const WireByte& w) {
    if (wireLimit_ == 0) return;
    wire_.push_back(w);
    keepRecent(wire_, wireLimit_);
}

void SimInstrument::recordRequest(const platform::Bytes& frame) {
    if (requestLimit_ == 0) return;
    requests_.push_back(frame);
    keepRecent(requests_, requestLimit_);
}

platform::Bytes SimInstrument::hostBytes() const {
    platform::Bytes bytes;
    for (const WireByte& w : wire_)
        if (w.fromHost) bytes.push_back(w.value);
    return bytes;
}

void SimInstrument::clearLog() {
    wire_.clear();
    requests_.clear();
}

}  // namespace sim
