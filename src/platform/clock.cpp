#include "platform/clock.h"

#include <ctime>
#include <thread>

namespace platform {

TimePoint SystemClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

void SystemClock::sleepFor(Duration d) {
    if (d > Duration::zero()) std::this_thread::sleep_for(d);
}

LocalDateTime SystemClock::localNow() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
            tm.tm_wday};
}

void VirtualClock::sleepFor(Duration d) {
    if (d <= Duration::zero()) return;
    now_ += d;
    slept_ += d;
}

void VirtualClock::setLocal(const LocalDateTime& t) {
    local_ = t;
    localBase_ = now_;
}

LocalDateTime VirtualClock::localNow() const {
    std::tm tm{};
    tm.tm_year = local_.year - 1900;
    tm.tm_mon = local_.month - 1;
    tm.tm_mday = local_.day;
    tm.tm_hour = local_.hour;
    tm.tm_min = local_.minute;
    tm.tm_sec = local_.second +
                static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(now_ - localBase_).count());
    std::time_t t = timegm(&tm);
    std::tm out{};
    gmtime_r(&t, &out);
    return {out.tm_year + 1900, out.tm_mon + 1, out.tm_mday, out.tm_hour, out.tm_min, out.tm_sec,
            out.tm_wday};
}

}  // namespace platform
