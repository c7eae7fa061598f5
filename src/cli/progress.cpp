#include "cli/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace cli {

TerminalProgress::TerminalProgress(bool enabled, std::string label)
    : enabled_(enabled && ::isatty(STDERR_FILENO)), label_(std::move(label)) {}

TerminalProgress::~TerminalProgress() {
    if (enabled_ && lastShown_ >= 0) std::fputc('\n', stderr);
}

void TerminalProgress::show(long done, long total) {
    if (!enabled_ || total <= 0) return;
    const int percent = static_cast<int>(std::clamp(done * 100 / total, 0L, 100L));
    if (percent == lastShown_) return;
    lastShown_ = percent;
    const int filled = percent * 30 / 100;
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label_.c_str(), filled,
                 "##############################", 30 - filled, "", percent);
    std::fflush(stderr);
}

}  // namespace cli
