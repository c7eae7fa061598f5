#include "cli/progress.h"

#include <algorithm>
#include <cstdio>

#include "cli/adapters.h"

namespace cli {
namespace {

std::string kib(double bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f KiB", bytes / 1024.0);
    return buf;
}

}  // namespace

TerminalProgress::TerminalProgress(bool enabled, std::string label)
    : enabled_(enabled && adapters::stderrIsTerminal()), label_(std::move(label)) {}

TerminalProgress::~TerminalProgress() {
    if (enabled_ && lastShown_ >= 0) std::fputc('\n', stderr);
}

std::string TerminalProgress::byteFigures(long doneBytes, long totalBytes, double seconds) {
    std::string s =
        "  " + kib(static_cast<double>(doneBytes)) + "/" + kib(static_cast<double>(totalBytes));
    if (seconds <= 0 || doneBytes <= 0) return s;
    const double rate = static_cast<double>(doneBytes) / seconds;
    const long left = static_cast<long>(static_cast<double>(totalBytes - doneBytes) / rate + 0.5);
    char buf[64];
    std::snprintf(buf, sizeof buf, "  %s/s  %ld:%02ld left", kib(rate).c_str(), left / 60,
                  left % 60);
    return s + buf;
}

void TerminalProgress::show(long done, long total) {
    if (!enabled_ || total <= 0) return;
    const int percent = static_cast<int>(std::clamp(done * 100 / total, 0L, 100L));
    if (percent == lastShown_) return;
    lastShown_ = percent;
    const int filled = percent * 30 / 100;
    std::string figures;
    if (bytesPerStep_ > 0) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        figures = byteFigures(done * bytesPerStep_, total * bytesPerStep_, seconds);
    }
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%%s", label_.c_str(), filled,
                 "##############################", 30 - filled, "", percent, figures.c_str());
    std::fflush(stderr);
}

}  // namespace cli
