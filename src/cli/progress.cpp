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

std::string TerminalProgress::line(const std::string& label, long done, long total,
                                   long bytesPerStep, double seconds) {
    const int percent = static_cast<int>(std::clamp(done * 100 / total, 0L, 100L));
    const int filled = percent * 30 / 100;
    char bar[64];
    std::snprintf(bar, sizeof bar, " [%.*s%*s] %3d%%", filled, "##############################",
                  30 - filled, "", percent);
    std::string text = "\r" + label + bar;
    if (bytesPerStep > 0) text += byteFigures(done * bytesPerStep, total * bytesPerStep, seconds);
    return text;
}

void TerminalProgress::show(long done, long total) {
    if (!enabled_ || total <= 0) return;
    const int percent = static_cast<int>(std::clamp(done * 100 / total, 0L, 100L));
    if (percent == lastShown_) return;
    lastShown_ = percent;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    std::fputs(line(label_, done, total, bytesPerStep_, seconds).c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace cli
