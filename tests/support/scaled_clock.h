#pragma once
// Real time run faster: every wait of the program and of the simulated instruments is shortened
// by the same factor, so that a window test can watch a whole instrument restart (15 s and more)
// in about two seconds while the window really repaints. Safe to read from the simulators'
// threads.
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace testing_support {

class ScaledClock final : public platform::Clock {
public:
    explicit ScaledClock(int factor = 8)
        : factor_(factor), origin_(std::chrono::steady_clock::now()) {}
    platform::TimePoint now() const override {
        const auto real = std::chrono::steady_clock::now() - origin_;
        return platform::TimePoint(std::chrono::hours(1) +
                                   std::chrono::duration_cast<platform::Duration>(real * factor_));
    }
    void sleepFor(platform::Duration d) override { std::this_thread::sleep_for(d / factor_); }
    platform::LocalDateTime localNow() const override { return system_.localNow(); }

private:
    int factor_;
    std::chrono::steady_clock::time_point origin_;
    platform::SystemClock system_;
};

}  // namespace testing_support
