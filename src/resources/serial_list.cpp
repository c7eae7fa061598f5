#include "resources/serial_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>

#include "platform/files.h"
#include "platform/system.h"
#include "platform/text_file.h"
#include "resources/rtf_text.h"

namespace resources {
namespace {

constexpr auto kLockRetry = std::chrono::milliseconds(50);

std::string trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// The number of a list line's serial: "QX", the type digit, the number ("QX300125"); in lines
// of the older form the type digit comes first ("3QX00125").
std::optional<long> numberAfterQx(const std::string& line) {
    const std::size_t qx = line.find("QX");
    if (qx == std::string::npos) return std::nullopt;
    const auto digit = [&](std::size_t i) {
        return i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]));
    };
    std::size_t begin = qx + 2;
    if (qx == 0 || !digit(qx - 1)) ++begin;  // the type digit
    if (!digit(begin - 1) && begin != qx + 2) return std::nullopt;
    std::size_t end = begin;
    while (digit(end)) ++end;
    if (end == begin || end - begin >= 10) return std::nullopt;
    return std::stol(line.substr(begin, end - begin));
}

bool containsNumber(const std::vector<std::string>& lines, long number) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return numberAfterQx(l) == number; });
}

std::size_t characters(const std::string& utf8) {
    return platform::codePoints(utf8).size();
}

// "host pid" of a lock file; empty when it cannot be read. Only a small regular file is read, so
// that a planted FIFO or device cannot stop the station.
std::string lockHolder(const std::string& path) {
    const auto bytes = platform::readFile(path, platform::FileKind::Small);
    if (!bytes) return {};
    const std::string content = bytes->substr(0, 256);
    return trim(content.substr(0, content.find_first_of("\r\n")));
}

// Host and process of "host pid"; the process is 0 when the text is not of that form.
std::pair<std::string, long> splitHolder(const std::string& holder) {
    const std::size_t blank = holder.rfind(' ');
    if (blank == std::string::npos) return {holder, 0};
    char* end = nullptr;
    const long pid = std::strtol(holder.c_str() + blank + 1, &end, 10);
    return {holder.substr(0, blank), end && *end == '\0' && pid > 0 ? pid : 0};
}

std::string describeHolder(const std::string& holder) {
    const auto [host, pid] = splitHolder(holder);
    if (pid == 0) return "an unknown station";
    return "computer " + host + ", process " + std::to_string(pid);
}

}  // namespace

std::string serialListPath(const platform::SettingsStore& settings,
                           const std::string& programFolder) {
    std::string path = settings.value(kSerialListApplication, "Main", kSerialListKey);
    if (!path.empty()) return path;
    return programFolder.empty() ? std::string(kSerialListDefault)
                                 : programFolder + "/" + kSerialListDefault;
}

std::string serialListMissingText() {
    return "File not found\nCorreggere la chiave del registro: SetupPrograms/Main/FileSN";
}

std::string serialListCreateQuestion(const std::string& path) {
    return "There is no serial-number list at " + path +
           ".\nCreate an empty list there?\n\nAnswer No when the list of the other stations "
           "should be there (a network folder that is not connected): a new list would give "
           "their numbers again.";
}

bool createSerialList(const std::string& path) {
    return platform::createExclusiveFile(path, writeRtf({}));
}

std::optional<std::vector<std::string>> readSerialList(const std::string& path,
                                                       backup::FileProblem* problem) {
    auto read = platform::readFile(path, platform::FileKind::SerialList);
    if (!read) {
        // A missing list keeps its own message; anything else says what stands there.
        if (problem && platform::pathKind(path) != platform::PathKind::Missing)
            *problem =
                backup::FileProblem{static_cast<int>(read.problem.line), read.problem.reason};
        return std::nullopt;
    }
    const std::string& text = *read;
    if (const auto broken = rtfProblem(text)) {
        if (problem) *problem = *broken;
        return std::nullopt;
    }
    return readRtf(text);
}

std::string serialListRefusedText(const std::string& path, const backup::FileProblem& problem) {
    if (problem.line > 0) return backup::refusedFile(path, problem.line, problem.reason);
    if (!problem.reason.empty())
        return "The file " + path + " cannot be read: " + problem.reason + ".";
    return serialListMissingText();
}

bool writeSerialList(const std::string& path, const std::vector<std::string>& lines) {
    // Written beside the list (a fresh file, never through a link planted there) and renamed
    // over it, so that a failed write leaves the old list.
    return !platform::writeFile(path, writeRtf(lines));
}

std::optional<long> lastSerialNumber(const std::vector<std::string>& lines) {
    std::optional<long> last;
    for (const std::string& line : lines) {
        const auto n = numberAfterQx(line);
        if (n && (!last || *n > *last)) last = n;
    }
    return last;
}

long proposedSerialNumber(const std::vector<std::string>& lines,
                          const platform::SettingsStore& settings, const std::string& application,
                          int type) {
    if (auto last = lastSerialNumber(lines)) return *last + 1;
    const std::string stored =
        settings.value(application, "Main", "LastSerialNumber" + std::to_string(type), "0");
    char* end = nullptr;
    const long n = std::strtol(stored.c_str(), &end, 10);
    return (end && *end == '\0' ? n : 0) + 1;
}

std::string serialText(int type, long number) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%05ld", number);
    return "QX" + std::to_string(type) + digits;
}

std::optional<std::string> serialNumbersUsedUp(int type, long proposed) {
    if (proposed <= kLastSerialNumber) return std::nullopt;
    return "The serial numbers of type " + std::to_string(type) +
           " are used up: " + serialText(type, kLastSerialNumber) +
           " is the last one a chip can take. Nothing was programmed.";
}

std::string serialListLine(const std::string& serial, const std::string& name,
                           const platform::LocalDateTime& date, const std::string& user) {
    std::string padded = name;
    if (const std::size_t n = characters(name); n < 20) padded.append(20 - n, ' ');
    char day[16];
    std::snprintf(day, sizeof day, "%02d/%02d/%04d", date.day, date.month, date.year);
    return serial + "  " + padded + day + "  " + user;
}

std::string defaultInstrumentName(int type) {
    return type == 4 ? "KRN-Visual Plus" : "KRN-Visual";
}

std::string defaultUserText(int) {
    return "Magazzino Varnolide";
}

std::optional<std::string> serialFieldsError(const std::string& numberText, int type,
                                             const std::string& name) {
    const std::string digits = trim(numberText);
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return std::string("Serial number is not a number!");
    const std::string serial = serialText(type, std::stol(digits));
    if (characters(trim(name)) >= 65) return std::string("Lenght of name is wrong");
    if (serial.size() != 8) return "Lenght of serial number: " + serial + " is wrong";
    return std::nullopt;
}

bool SerialListLock::acquire(platform::Duration timeout) {
    const platform::TimePoint until = clock_.now() + timeout;
    for (;;) {
        if (platform::createExclusiveFile(path_, platform::processIdentity() + "\n")) {
            held_ = true;
            return true;
        }
        holder_ = lockHolder(path_);
        if (takeOverStale()) continue;
        if (clock_.now() >= until) return false;
        clock_.sleepFor(kLockRetry);
    }
}

// A lock of this computer whose process is gone is moved aside and, when it is still the lock
// that was found (not one a station made meanwhile), removed; a fresh one is put back.
bool SerialListLock::takeOverStale() {
    const auto [host, pid] = splitHolder(holder_);
    const auto [thisHost, thisProcess] = splitHolder(platform::processIdentity());
    if (pid == 0 || host != thisHost || platform::processRunning(pid)) return false;
    const std::string aside = path_ + "." + std::to_string(thisProcess) + ".stale";
    if (std::rename(path_.c_str(), aside.c_str()) != 0) return false;
    std::error_code ec;
    if (lockHolder(aside) != holder_) {
        std::filesystem::create_hard_link(aside, path_, ec);
        std::filesystem::remove(aside, ec);
        return false;
    }
    std::filesystem::remove(aside, ec);
    notice_ = "The serial number list's lock of process " + std::to_string(pid) +
              ", which no longer runs on this computer, was taken over: " + path_;
    return true;
}

std::string SerialListLock::busyText() const {
    return serialListBusyText(path_, holder_);
}

void SerialListLock::release() {
    std::error_code ec;
    if (held_) std::filesystem::remove(path_, ec);
    held_ = false;
}

std::string serialListBusyText(const std::string& lockPath, const std::string& holder) {
    return "The serial number list is in use by another station (" + describeHolder(holder) +
           ").\nTry again; if no other station is programming, delete " + lockPath;
}

std::vector<std::string> mergeSerialList(const SerialListEdit& edit,
                                         const std::vector<std::string>& current) {
    std::vector<std::string> merged = edit.edited;
    std::multiset<std::string> loaded(edit.loaded.begin(), edit.loaded.end());
    for (const std::string& line : current) {
        const auto same = loaded.find(line);
        if (same != loaded.end())
            loaded.erase(same);
        else
            merged.push_back(line);
    }
    return merged;
}

namespace {

// The list under the lock: read again and merged with the dialog's edit; nothing, with the
// message, when the lock or the list cannot be had.
std::optional<std::vector<std::string>> lockedList(SerialListLock& lock, const std::string& path,
                                                   platform::Duration timeout,
                                                   const std::optional<SerialListEdit>& edit,
                                                   std::string& error) {
    if (!lock.acquire(timeout)) {
        error = lock.busyText();
        return std::nullopt;
    }
    backup::FileProblem problem;
    auto lines = readSerialList(path, &problem);
    if (!lines) {
        error = serialListRefusedText(path, problem);
        return std::nullopt;
    }
    if (edit) return mergeSerialList(*edit, *lines);
    return lines;
}

}  // namespace

SaveResult saveSerialListEdit(const std::string& listPath, platform::Clock& clock,
                              const SerialListEdit& edit, platform::Duration lockTimeout) {
    SaveResult result;
    SerialListLock lock(listPath, clock);
    const auto lines = lockedList(lock, listPath, lockTimeout, edit, result.error);
    result.notice = lock.takeOverNotice();
    if (!lines) return result;
    result.kept = lines->size() - edit.edited.size();
    if (!writeSerialList(listPath, *lines)) {
        result.error = "Impossibile scrivere il file " + listPath;
        return result;
    }
    result.saved = true;
    return result;
}

AssignResult assignSerialNumber(const std::string& listPath, platform::SettingsStore& settings,
                                const std::string& application, platform::Clock& clock,
                                const AssignRequest& request, platform::Duration lockTimeout) {
    AssignResult result;
    SerialListLock lock(listPath, clock);
    auto lines = lockedList(lock, listPath, lockTimeout, request.edit, result.error);
    result.notice = lock.takeOverNotice();
    if (!lines) return result;
    const long next = proposedSerialNumber(*lines, settings, application, request.type);
    long number = request.number.value_or(next);
    bool fromList = !request.number;
    if (containsNumber(*lines, number)) {
        if (request.number && request.proposed != request.number) {
            result.error =
                "Serial number " + serialText(request.type, number) + " is already in the list";
            return result;
        }
        number = next;  // the proposal was taken by another station meanwhile
        fromList = true;
    }
    if (fromList) {
        if (auto usedUp = serialNumbersUsedUp(request.type, number)) {
            result.error = *usedUp;
            result.usedUp = true;
            return result;
        }
    }
    const std::string name = trim(request.name);
    if (auto error = serialFieldsError(std::to_string(number), request.type, name)) {
        result.error = *error;
        return result;
    }
    SerialAssignment a{number, serialText(request.type, number), name};
    lines->push_back(serialListLine(a.serial, name, clock.localNow(), request.user));
    if (!writeSerialList(listPath, *lines)) {
        result.error = "Impossibile scrivere il file " + listPath;
        return result;
    }
    settings.setValue(application, "Main", "LastSerialNumber" + std::to_string(request.type),
                      std::to_string(number));
    result.assignment = a;
    return result;
}

}  // namespace resources
