#include "app/activity_log.h"

#include <cstdio>
#include <filesystem>

#include "platform/files.h"
#include "platform/version.h"

namespace app {
namespace {

// One line per field: line breaks and tabs become blanks, the ends are trimmed.
std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool blank = c == '\r' || c == '\n' || c == '\t';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string field(const std::string& text) {
    const std::string t = oneLine(text);
    return t.empty() ? "-" : t;
}

std::string twoDigits(int n) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}

std::string date(const platform::LocalDateTime& t) {
    return std::to_string(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day);
}

}  // namespace

std::string resultText(service::Outcome outcome) {
    switch (outcome) {
        case service::Outcome::Done:
            return "Done";
        case service::Outcome::Failed:
            return "Failed";
        case service::Outcome::Cancelled:
            return "Cancelled";
        case service::Outcome::Refused:
            return "Refused";
        case service::Outcome::FileError:
            return "File error";
    }
    return "?";
}

std::string formatLine(const ActivityEntry& e) {
    const platform::LocalDateTime& t = e.time;
    const std::string time =
        twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
    return date(t) + " " + time + " | " + field(e.command) + " | " + field(e.instrument) + " | " +
           resultText(e.result) + " | " + field(e.message);
}

std::string dailyFileName(const platform::LocalDateTime& day) {
    return "activity-" + date(day) + ".txt";
}

std::string ActivityLog::fileFor(const platform::LocalDateTime& day) const {
    return (std::filesystem::path(folder_) / dailyFileName(day)).string();
}

bool ActivityLog::add(const ActivityEntry& entry) {
    const std::string line = formatLine(entry);
    lines_.push_back(line);
    if (folder_.empty()) return false;
    const std::string file = fileFor(entry.time);
    // Each session says once per file which build wrote its lines.
    const std::string note =
        file != versionNotedIn_ ? "# krnsetup " + platform::versionText() + "\n" : std::string();
    versionNotedIn_ = file;
    return !platform::appendFile(file, note + line + "\n");
}

platform::MessageResult MessageRecorder::message(const platform::MessageBox& box) {
    shown_.push_back(oneLine(box.text));
    return inner_.message(box);
}

std::string MessageRecorder::take() {
    std::string joined;
    for (const std::string& s : shown_) {
        if (s.empty()) continue;
        joined += (joined.empty() ? "" : " / ") + s;
    }
    shown_.clear();
    return joined;
}

}  // namespace app
