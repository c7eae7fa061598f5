#pragma once
// A progress bar on the terminal for long transfers; silent with --json or when stderr is not
// a terminal.
#include <string>

namespace cli {

class TerminalProgress {
public:
    TerminalProgress(bool enabled, std::string label);
    ~TerminalProgress();
    // done of total (total 100 for percentages).
    void show(long done, long total);

private:
    bool enabled_;
    std::string label_;
    int lastShown_ = -1;
};

}  // namespace cli
