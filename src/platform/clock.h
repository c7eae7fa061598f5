#pragma once
// Time as the rest of the system sees it. Every wait goes through a Clock so that tests can run
// instrument restarts and timeouts on virtual time.
#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

struct LocalDateTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int dayOfWeek = 0;  // 0 = Sunday .. 6 = Saturday
    bool operator==(const LocalDateTime&) const = default;
};

// Seconds since 1970-01-01 00:00:00 of a calendar time taken as is (no time zone), and back.
std::int64_t toEpochSeconds(const LocalDateTime& t);
LocalDateTime fromEpochSeconds(std::int64_t seconds);
// "2026-03-14 09:05:07": how krnctl and the frame trace write a calendar time.
std::string dateTimeText(const LocalDateTime& t);

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time.
    virtual TimePoint now() const = 0;
    // Blocks the caller for d (a virtual clock just moves on).
    virtual void sleepFor(Duration d) = 0;
    // The computer's local calendar time.
    virtual LocalDateTime localNow() const = 0;

    double secondsSince(TimePoint start) const {
        return std::chrono::duration<double>(now() - start).count();
    }
};

class SystemClock final : public Clock {
public:
    TimePoint now() const override;
    void sleepFor(Duration d) override;
    LocalDateTime localNow() const override;
};

// Time that only moves when somebody sleeps or advances it. The calendar time follows the
// monotonic time from a settable start.
class VirtualClock final : public Clock {
public:
    TimePoint now() const override { return now_; }
    void sleepFor(Duration d) override;
    LocalDateTime localNow() const override;

    void advance(Duration d) { sleepFor(d); }
    void setLocal(const LocalDateTime& t);
    // Total time spent sleeping, for tests that check a wait's length.
    Duration slept() const { return slept_; }

private:
    TimePoint now_{std::chrono::hours(1)};
    TimePoint localBase_{std::chrono::hours(1)};
    LocalDateTime local_{};
    Duration slept_{0};
};

// The factor by which a program shortens the fixed waits of an instrument restart: 1, unless the
// environment variable KRN_RESTART_WAIT_SCALE holds a number from 0.001 to 1 (the end-to-end tests
// run the programs so against krnsim's short restarts; a real instrument needs the whole wait).
double restartWaitScale();

}  // namespace platform
