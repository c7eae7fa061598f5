#pragma once
// A progress bar on the terminal for long transfers; silent with --json or when stderr is not
// a terminal.
#include <string>

#include "platform/dialogs.h"

namespace cli {

class TerminalProgress : public platform::Progress {
public:
    TerminalProgress(bool enabled, std::string label);
    ~TerminalProgress();
    // done of total (total 100 for percentages).
    void show(long done, long total);
    // As the instrument control's progress: done of the total started (100 unless started).
    void start(long total) override { total_ = total; }
    bool update(long done) override {
        show(done, total_);
        return true;
    }
    void stop(bool) override {}

private:
    bool enabled_;
    std::string label_;
    int lastShown_ = -1;
    long total_ = 100;
};

}  // namespace cli
