#include "service/fleet/fleet_layout.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "link/instrument_description.h"
#include "platform/system.h"

namespace service::fleet {
namespace {

namespace fs = std::filesystem;

bool fileNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

std::string fileNameText(const std::string& text) {
    std::string out;
    for (char c : text) out += fileNameChar(c) ? c : '_';
    // "." and ".." are no names, and a leading dot would hide the folder.
    while (!out.empty() && out.front() == '.') out.front() = '_';
    return out.empty() ? "_" : out;
}

// "2026-12-07T070129_2" -> ("2026-12-07T070129", 2); without a suffix the number is 1.
std::pair<std::string, long> orderOf(const std::string& stamp) {
    const std::size_t sep = stamp.rfind('_');
    if (sep == std::string::npos || sep + 1 == stamp.size()) return {stamp, 1};
    const std::string digits = stamp.substr(sep + 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {stamp, 1};
    return {stamp.substr(0, sep), std::stol(digits.substr(0, 9))};
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string stationName(const std::string& given) {
    if (!given.empty()) return fileNameText(given);
    const std::string identity = platform::processIdentity();  // "host pid"
    const std::string host = identity.substr(0, identity.rfind(' '));
    return host.empty() ? "station" : fileNameText(host);
}

std::string instrumentKey(const std::string& description, const std::string& mac,
                          const std::string& station) {
    using Kind = krnlink::InstrumentDescription::Kind;
    if (!mac.empty()) return fileNameText(mac);
    const auto d = krnlink::InstrumentDescription::parse(description);
    std::string port;
    switch (d.kind) {
        case Kind::Usb:
            return fileNameText(d.serialNumber);
        case Kind::SerialNumber:
            port = "COM" + std::to_string(d.portNumber);
            break;
        case Kind::SerialPath:
            port = fs::path(d.path).filename().string();
            break;
        case Kind::Ethernet:
            port = d.host + "-" + std::to_string(d.port);
            break;
        case Kind::Invalid:
            port = krnlink::trim(description);
            break;
    }
    return fileNameText(port) + "@" + fileNameText(station);
}

std::string stampOf(const platform::LocalDateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

std::string stampOfFile(const std::string& fileName) {
    return endsWith(fileName, kBackupExtension)
               ? fileName.substr(0, fileName.size() - std::string(kBackupExtension).size())
               : fileName;
}

std::vector<std::string> backupsOf(const std::string& dir, const std::string& key) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(dir) / key, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(ec) && endsWith(name, kBackupExtension) && name.front() != '.')
            files.push_back(name);
    }
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        return orderOf(stampOfFile(a)) < orderOf(stampOfFile(b));
    });
    return files;
}

std::string newBackupName(const std::string& dir, const std::string& key,
                          const std::string& stamp) {
    std::error_code ec;
    std::string name = stamp + kBackupExtension;
    for (int n = 2; fs::exists(fs::path(dir) / key / name, ec); ++n)
        name = stamp + "_" + std::to_string(n) + kBackupExtension;
    return name;
}

std::vector<std::string> instrumentKeys(const std::string& dir) {
    std::vector<std::string> keys;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_directory(ec) && name.front() != '.' && name != kIndexFolder)
            keys.push_back(name);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::string joinPath(const std::string& a, const std::string& b) {
    return (fs::path(a) / b).string();
}

bool makeFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return isFolder(path);
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace service::fleet
