#pragma once
// A progress bar on the terminal for long transfers; silent with --json or when stderr is not
// a terminal. A transfer counted in bytes also shows the bytes done, the rate and the time left.
#include <chrono>
#include <string>

#include "platform/dialogs.h"

namespace cli {

class TerminalProgress : public platform::Progress {
public:
    TerminalProgress(bool enabled, std::string label);
    ~TerminalProgress();
    // Every step of show() stands for this many bytes (0: the steps are no bytes, e.g. percent).
    void countBytes(long bytesPerStep) { bytesPerStep_ = bytesPerStep; }
    void setLabel(std::string label) { label_ = std::move(label); }
    // done of total (total 100 for percentages).
    void show(long done, long total);
    // As the instrument control's progress: done of the total started (100 unless started).
    void start(long total) override { total_ = total; }
    bool update(long done) override {
        show(done, total_);
        return true;
    }
    void stop(bool) override {}

    // The text after the bar: "  12.0 KiB/512.0 KiB  1.5 KiB/s  5:32 left".
    static std::string byteFigures(long doneBytes, long totalBytes, double seconds);
    // The whole line for done of total: "\rLabel [###   ]  10%", then the byte figures when each
    // step stands for bytesPerStep bytes (none for 0).
    static std::string line(const std::string& label, long done, long total, long bytesPerStep,
                            double seconds);

private:
    bool enabled_;
    std::string label_;
    int lastShown_ = -1;
    long bytesPerStep_ = 0;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    long total_ = 100;
};

}  // namespace cli
