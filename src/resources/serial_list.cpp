#include "resources/serial_list.h"

#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>

#include "platform/system.h"
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

std::string serialListLine(const std::string& serial, const std::string& name,
                           const platform::LocalDateTime& date, const std::string& user) {
    std::string padded = name;
    if (padded.size() < 20) padded.resize(20, ' ');
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
    if (trim(name).size() >= 65) return std::string("Lenght of name is wrong");
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
        if (clock_.now() >= until) return false;
        clock_.sleepFor(kLockRetry);
    }
}

void SerialListLock::release() {
    std::error_code ec;
    if (held_) std::filesystem::remove(path_, ec);
    held_ = false;
}

std::string serialListBusyText(const std::string& lockPath) {
    return "The serial number list is in use by another station.\nTry again; if no other station "
           "is "
           "programming, delete " +
           lockPath;
}

AssignResult assignSerialNumber(const std::string& listPath, platform::SettingsStore& settings,
                                const std::string& application, platform::Clock& clock,
                                const AssignRequest& request, platform::Duration lockTimeout) {
    AssignResult result;
    SerialListLock lock(listPath, clock);
    if (!lock.acquire(lockTimeout)) {
        result.error = serialListBusyText(lock.path());
        return result;
    }
    backup::FileProblem problem;
    auto lines = readSerialList(listPath, &problem);
    if (!lines) {
        result.error = serialListRefusedText(listPath, problem);
        return result;
    }
    const long next = proposedSerialNumber(*lines, settings, application, request.type);
    long number = request.number.value_or(next);
    if (containsNumber(*lines, number)) {
        if (request.number && request.proposed != request.number) {
            result.error =
                "Serial number " + serialText(request.type, number) + " is already in the list";
            return result;
        }
        number = next;  // the proposal was taken by another station meanwhile
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
