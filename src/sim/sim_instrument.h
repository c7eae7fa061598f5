#pragma once
// A software instrument at the byte level: it echoes what the host sends, assembles request
// frames, answers them, and schedules every output byte at the time it would leave the
// instrument. Transports move bytes in and out; they never interpret them.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "platform/bytes.h"
#include "platform/clock.h"
#include "sim/profiles.h"
#include "sim/sim_display.h"
#include "sim/sim_memory_check.h"

namespace sim {

// Faults a test can make the instrument commit. Each applies to one request frame: the next
// one, or the one after `skip` further frames.
struct Fault {
    enum class Kind {
        DropByte,       // output byte `index` of the frame (echo bytes first, then the answer)
        CorruptByte,    // output byte `index` inverted, or XOR-ed with `data[0]` when given
        DelayByte,      // output byte `index` and all after it come `delay` later
        WrongEcho,      // echo of request byte `index` altered
        WrongChecksum,  // the answer's CHK is off by one
        Len0,           // the answer's LEN byte is 0
        Len51,          // the answer's LEN byte is 51
        Stall,          // the answer comes `delay` after the echo
        NoAnswer,       // the request is echoed but not answered
        Replace,        // the answer carries `data` instead of the command's own
        Late,           // the answer is held back and sent right after the echo of a later
                        // request frame (the next one, or `index` frames further on), ahead
                        // of that frame's own answer: an instrument that answers after the
                        // host has given up
        Noise,          // the bytes of `data` go out before the echo of the frame's first byte
        Silence,        // from this frame on the instrument neither echoes nor answers
        Restart,        // the instrument restarts when the frame's first byte arrives
    };
    Fault() = default;
    Fault(Kind k, int i = 0, platform::Duration d = {}, int s = 0, platform::Bytes bytes = {})
        : kind(k), index(i), delay(d), skip(s), data(std::move(bytes)) {}

    Kind kind = Kind::NoAnswer;
    int index = 0;
    platform::Duration delay{};
    int skip = 0;
    platform::Bytes data;
};

struct WireByte {
    platform::TimePoint time;
    bool fromHost;
    std::uint8_t value;
};

// Every flash byte is read back XOR-ed with this mask (command 24).
inline constexpr std::uint8_t kFlashReadMask = 0xA5;
// The firmware update sends every data byte XOR-ed with this key. It is the read mask: the
// flash keeps the bytes as sent, and a byte sent as value ^ key reads back as the value.
inline constexpr std::uint8_t kFlashWriteKey = kFlashReadMask;
inline constexpr std::size_t kFlashSize = 1u << 20;

class SimInstrument {
public:
    explicit SimInstrument(const Profile& profile);

    const Profile& profile() const { return profile_; }
    std::vector<std::uint8_t>& nvram() { return nvram_; }
    const std::vector<std::uint8_t>& nvram() const { return nvram_; }
    std::vector<std::uint8_t>& flash() { return flash_; }
    // Running the firmware loader: set at start by the profile, then by NVRAM byte 11 bit 7 at
    // every restart.
    bool loaderActive() const { return loaderActive_; }

    // Bytes from the host, arriving at time t.
    void receive(platform::ByteSpan bytes, platform::TimePoint t);
    // Number of output bytes that have left the instrument by t.
    std::size_t outputReady(platform::TimePoint t) const;
    platform::Bytes takeOutput(platform::TimePoint t, std::size_t max = SIZE_MAX);
    // Output ready by t that forms a complete burst: the byte after it, if any is scheduled,
    // follows more than `gap` later. 0 while a burst is still under way.
    std::size_t burstReady(platform::TimePoint t, platform::Duration gap) const;
    // When the first burst still queued is complete (its last byte has left).
    std::optional<platform::TimePoint> burstEnd(platform::Duration gap) const;
    // When the first output byte that has not left by t will leave.
    std::optional<platform::TimePoint> nextOutputTimeAfter(platform::TimePoint t) const;
    // When the next output byte leaves the instrument, if any is scheduled.
    std::optional<platform::TimePoint> nextOutputTime() const;
    // Forgets output not yet taken (a host that reopens its port loses it too).
    void dropOutput();

    void addFault(const Fault& f) { faults_.push_back(f); }
    void clearFaults() { faults_.clear(); }
    // A silent instrument neither echoes nor answers.
    void setSilent(bool silent) { silent_ = silent; }
    void setPressLockRefused(bool refused) { pressLockRefused_ = refused; }
    void setRestartSilence(platform::Duration d) { restartSilence_ = d; }
    // Faulty memory cells: a read (commands 15, 16, 17, 41) that touches one is answered with
    // no data.
    void setUnreadable(std::set<std::uint32_t> addresses) { unreadable_ = std::move(addresses); }
    bool unreadable(std::uint32_t address, std::size_t n) const {
        auto it = unreadable_.lower_bound(address);
        return it != unreadable_.end() && *it < address + n;
    }
    // Faulty memory cells of another kind: they keep what is written, but every read of them
    // (commands 15, 16, 17, 41) gives it back with bit 0 inverted; the instrument's own memory
    // test fails on any of them.
    void setFaultyCell(std::uint32_t address) { faulty_.insert(address); }
    void clearFaultyCells() { faulty_.clear(); }
    const std::set<std::uint32_t>& faultyCells() const { return faulty_; }
    // The instrument's memory test (commands 36 to 38) and the length of one of its cycles.
    SimMemoryTest& memoryTest() { return memoryTest_; }
    void setMemoryTestCycle(platform::Duration d) { memoryTest_.cycleTime = d; }
    // Wire pacing at 115200 baud 8N1 in both directions.
    void setPacing(bool on) { pacing_ = on; }
    // Every answer starts this long after its request: a slow instrument, for interrupting a
    // long transfer half-way.
    void setAnswerDelay(platform::Duration d) { answerDelay_ = d; }
    bool pacing() const { return pacing_; }

    // The real-time clock: it reads `t` at time `at` and runs on from there.
    void setClock(const platform::LocalDateTime& t, platform::TimePoint at);
    platform::LocalDateTime clockAt(platform::TimePoint t) const;

    // The display: the 8x10 font its texts are drawn with, and how many bytes one display
    // memory read (command 22) answers, 1 to 49.
    const DisplayFont& displayFont() const { return displayFont_; }
    void setDisplayFont(DisplayFont font) { displayFont_ = std::move(font); }
    std::size_t displayChunk() const { return displayChunk_; }
    void setDisplayChunk(std::size_t n) { displayChunk_ = n; }
    // A faulty display bus: after `good` more reads that are answered, the next `bad` display
    // reads are answered with a single byte.
    void setDisplayReadFailures(int good, int bad) {
        displayGood_ = good;
        displayBad_ = bad;
    }
    // Whether this display read is answered in full (counts it).
    bool displayReadAnswered() {
        if (displayGood_ > 0) return --displayGood_, true;
        if (displayBad_ > 0) return --displayBad_, false;
        return true;
    }

    // Loader faults: a loader that stays in update mode at every restart, whatever NVRAM byte 11
    // says; and flash blocks (command 26) that are confirmed but programmed wrong.
    void setLoaderStuck(bool on) { loaderStuck_ = on; }
    void setBadFlashPrograms(int n) { badFlashPrograms_ = n; }
    bool takeBadFlashProgram() { return badFlashPrograms_ > 0 && badFlashPrograms_-- > 0; }
    int flashErases() const { return flashErases_; }
    int flashPrograms() const { return flashPrograms_; }
    void countFlashErase() { ++flashErases_; }
    void countFlashProgram() { ++flashPrograms_; }

    int currentJob() const { return currentJob_; }
    void setCurrentJob(int n) { currentJob_ = n; }
    int jobNotifications() const { return jobNotifications_; }
    void notifyJob() { ++jobNotifications_; }

    bool pressLocked() const { return pressLocked_; }
    bool keyboardLocked() const { return keyboardLocked_; }
    bool pressLockRefused() const { return pressLockRefused_; }
    void setPressLocked(bool on) { pressLocked_ = on; }
    void setKeyboardLocked(bool on) { keyboardLocked_ = on; }
    // The instrument restarts: it hears nothing for the restart time.
    void restart(platform::TimePoint t);
    int restarts() const { return restarts_; }
    // An answer held back by a Late fault and not yet released.
    bool holdingAnswer() const { return held_.has_value(); }

    // Told of every complete request (request = true) and every answer frame sent.
    std::function<void(bool request, const platform::Bytes& frame, std::uint8_t code)>
        frameObserver;

    // The recent history of the line: the bytes on the wire, both directions, and the complete
    // request frames received. At most the last `wireBytes` bytes and `requests` frames are
    // kept (older ones are dropped in batches, so up to twice as many may be held for a
    // while); 0 keeps none. A served instrument keeps none; its trace is the record.
    void setHistoryLimit(std::size_t wireBytes, std::size_t requests);
    static constexpr std::size_t kWireHistory = 65536;
    static constexpr std::size_t kRequestHistory = 4096;

    const std::vector<WireByte>& wire() const { return wire_; }
    const std::vector<platform::Bytes>& requests() const { return requests_; }
    platform::Bytes hostBytes() const;
    void clearLog();

private:
    struct Out {
        platform::TimePoint time;
        std::uint8_t value;
    };
    void onByte(std::uint8_t b, platform::TimePoint arrival);
    void startFrame();
    void sendOut(std::uint8_t b, platform::TimePoint earliest);
    void completeFrame(platform::TimePoint t);

    Profile profile_;
    std::vector<std::uint8_t> nvram_;
    std::vector<std::uint8_t> flash_;
    bool loaderActive_ = false;
    std::int64_t clockBase_ = 1767225600;  // 2026-01-01 00:00:00
    platform::TimePoint clockBaseAt_{};
    std::deque<Out> out_;
    std::vector<Fault> faults_;
    std::optional<Fault> current_;
    int outIndex_ = 0;  // output bytes of the current frame so far
    platform::Duration extraDelay_{};
    std::optional<platform::Bytes> held_;  // a late answer, with the frames still to pass
    int heldFrames_ = 0;
    void releaseHeld(platform::TimePoint t);
    // Faults that act when a frame begins; true when the frame's byte is not heard.
    bool startFault(platform::TimePoint arrival);

    platform::Bytes frame_;
    std::size_t expected_ = 0;  // bytes still to come after LEN
    platform::TimePoint lastIn_{};
    platform::TimePoint lineInFree_{};
    platform::TimePoint lineOutFree_{};
    platform::TimePoint silentUntil_{};

    bool silent_ = false;
    bool pacing_ = false;
    platform::Duration answerDelay_{};
    bool pressLockRefused_ = false;
    int currentJob_ = 1;
    int jobNotifications_ = 0;
    bool pressLocked_ = false;
    bool keyboardLocked_ = false;
    int restarts_ = 0;
    platform::Duration restartSilence_ = std::chrono::seconds(5);

    DisplayFont displayFont_;
    std::size_t displayChunk_ = 40;
    int displayGood_ = 0;
    bool loaderStuck_ = false;
    int badFlashPrograms_ = 0;
    int flashErases_ = 0;
    int flashPrograms_ = 0;
    int displayBad_ = 0;
    std::set<std::uint32_t> unreadable_;
    std::set<std::uint32_t> faulty_;
    SimMemoryTest memoryTest_;
    void record(const WireByte& w);
    void recordRequest(const platform::Bytes& frame);

    std::size_t wireLimit_ = kWireHistory;
    std::size_t requestLimit_ = kRequestHistory;
    std::vector<WireByte> wire_;
    std::vector<platform::Bytes> requests_;
};

}  // namespace sim
