#include "resources/firmware_file.h"

#include "platform/files.h"

#include <algorithm>
#include <iterator>

namespace resources {
namespace {

bool digitsOnly(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int64_t> decimal(std::string_view s, std::int64_t max) {
    if (!digitsOnly(s) || s.size() > 10) return std::nullopt;
    std::int64_t v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    if (v > max) return std::nullopt;
    return v;
}

// A record, or the reason it is not one.
std::optional<std::string> parseRecord(std::string_view line, FirmwareRecord& r) {
    const auto a = line.find(':');
    const auto b = a == std::string_view::npos ? a : line.find(':', a + 1);
    if (b == std::string_view::npos) return "not \"address:value:value\"";
    const auto address = decimal(line.substr(0, a), INT32_MAX);
    if (!address) return "the address is not a decimal number";
    if (*address + 1 >= kFlashAddressSpace)
        return "the address is outside the 24-bit address range (0 to 16777214)";
    const auto first = decimal(line.substr(a + 1, b - a - 1), 255);
    const auto second = decimal(line.substr(b + 1), 255);
    if (!first || !second) return "a value is not a decimal number from 0 to 255";
    r.address = static_cast<std::int32_t>(*address);
    r.first = static_cast<std::uint8_t>(*first);
    r.second = static_cast<std::uint8_t>(*second);
    r.lineLength = line.size();
    return std::nullopt;
}

}  // namespace

FirmwareRead parseFirmware(std::string_view text) {
    FirmwareRead out;
    FirmwareFile file;
    file.bytes = text.size();
    std::vector<bool> used(static_cast<std::size_t>(kFlashAddressSpace), false);
    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        FirmwareRecord r;
        if (auto reason = parseRecord(line, r)) {
            out.problem = FirmwareProblem{number, *reason};
            return out;
        }
        const auto at = static_cast<std::size_t>(r.address);
        if (used[at] || used[at + 1]) {
            out.problem = FirmwareProblem{number, "a byte at this address was given before"};
            return out;
        }
        used[at] = used[at + 1] = true;
        file.records.push_back(r);
    }
    if (file.records.empty()) {
        out.problem = FirmwareProblem{1, "the file holds no record"};
        return out;
    }
    out.file = std::move(file);
    return out;
}

FirmwareRead readFirmwareFile(const std::string& path) {
    auto read = platform::readFile(path, platform::FileKind::Firmware);
    if (!read) {
        FirmwareRead out;
        out.unreadable = true;
        out.reason = read.problem.reason;
        return out;
    }
    return parseFirmware(*read);
}

}  // namespace resources
