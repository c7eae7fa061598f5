#include "platform/clock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace platform {
namespace {

// The C library's calendar calls under their POSIX and their Windows names.
void localCalendar(const std::time_t& t, std::tm& out) {
#ifdef _WIN32
    localtime_s(&out, &t);
#else
    localtime_r(&t, &out);
#endif
}

void utcCalendar(const std::time_t& t, std::tm& out) {
#ifdef _WIN32
    gmtime_s(&out, &t);
#else
    gmtime_r(&t, &out);
#endif
}

std::time_t utcSeconds(std::tm& tm) {
#ifdef _WIN32
    return _mkgmtime(&tm);
#else
    return timegm(&tm);
#endif
}

}  // namespace

std::string dateTimeText(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

TimePoint SystemClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

void SystemClock::sleepFor(Duration d) {
    if (d > Duration::zero()) std::this_thread::sleep_for(d);
}

LocalDateTime SystemClock::localNow() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localCalendar(t, tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     tm.tm_wday};
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
    return fromEpochSeconds(
        toEpochSeconds(local_) +
        std::chrono::duration_cast<std::chrono::seconds>(now_ - localBase_).count());
}

std::int64_t toEpochSeconds(const LocalDateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    return static_cast<std::int64_t>(utcSeconds(tm));
}

LocalDateTime fromEpochSeconds(std::int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm out{};
    utcCalendar(t, out);
    return {out.tm_year + 1900, out.tm_mon + 1, out.tm_mday, out.tm_hour,
            out.tm_min,         out.tm_sec,     out.tm_wday};
}

double restartWaitScale() {
    const char* text = std::getenv("KRN_RESTART_WAIT_SCALE");
    if (!text || !*text) return 1.0;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    return *end == '\0' && v >= 0.001 && v <= 1.0 ? v : 1.0;
}

}  // namespace platform
