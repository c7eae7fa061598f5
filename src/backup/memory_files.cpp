#include "backup/memory_files.h"

#include <cstdio>

namespace backup {
namespace {

std::string hex(long v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%lX", static_cast<unsigned long>(v));
    return buf;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// A whole decimal number, optionally signed, nothing else; at most nine digits.
std::optional<long> wholeNumber(const std::string& text) {
    const std::string s = trim(text);
    std::size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (i == s.size() || s.size() - i > 9) return std::nullopt;
    long v = 0;
    for (std::size_t k = i; k < s.size(); ++k) {
        if (s[k] < '0' || s[k] > '9') return std::nullopt;
        v = v * 10 + (s[k] - '0');
    }
    return s[0] == '-' ? -v : v;
}

}  // namespace

std::string dumpLine(std::int32_t address, std::optional<std::uint8_t> value) {
    if (!value) return hex(address) + "   ERRORE!";
    return hex(address) + "   " + std::to_string(*value) + "   " + hex(*value);
}

std::optional<DumpEntry> parseDumpLine(const std::string& line) {
    const std::string s = trim(line);
    std::size_t i = 0;
    long address = 0;
    while (i < s.size() && !isBlank(s[i])) {
        const char c = s[i];
        int d = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                         : -1;
        if (d < 0 || i >= 8) return std::nullopt;
        address = address * 16 + d;
        ++i;
    }
    if (i == 0 || i == s.size()) return std::nullopt;
    const std::string rest = trim(s.substr(i));
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end])) ++end;
    const std::string byteText = rest.substr(0, end);
    if (byteText.empty() || byteText.size() > 3 || byteText[0] == '-' || byteText[0] == '+')
        return std::nullopt;
    auto value = wholeNumber(byteText);
    if (!value || *value > 255) return std::nullopt;
    return DumpEntry{static_cast<std::int32_t>(address), static_cast<std::uint8_t>(*value), 0};
}

DumpImport parseDump(const std::vector<std::string>& lines, std::int32_t memorySize) {
    DumpImport out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (trim(lines[i]).empty()) continue;
        const int number = static_cast<int>(i) + 1;
        auto entry = parseDumpLine(lines[i]);
        if (!entry) {
            out.problem = FileProblem{number, "not a hexadecimal address and a decimal byte"};
            break;
        }
        if (entry->address < 0 || entry->address >= memorySize) {
            out.problem =
                FileProblem{number, "address " + hex(static_cast<std::uint32_t>(entry->address)) +
                                        " lies outside the NVRAM"};
            break;
        }
        entry->line = number;
        out.entries.push_back(*entry);
    }
    // An empty file is no dump: it would "restore" nothing and report success.
    if (!out.problem && out.entries.empty())
        out.problem = FileProblem{1, "the file holds no address and byte"};
    if (out.problem) out.entries.clear();
    return out;
}

std::string shortNumber(long value) {
    return value >= 0 ? " " + std::to_string(value) : std::to_string(value);
}

std::vector<std::string> jobCopyLines(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::string> lines;
    lines.reserve(bytes.size() + 1);
    lines.push_back(shortNumber(static_cast<long>(bytes.size())));
    for (std::uint8_t b : bytes) lines.push_back(shortNumber(b));
    return lines;
}

JobCopy parseJobCopy(const std::vector<std::string>& lines, std::int32_t capacity) {
    JobCopy out;
    auto fail = [&](int line, std::string reason) {
        out.bytes.clear();
        out.problem = FileProblem{line, std::move(reason)};
        return out;
    };
    if (lines.empty()) return fail(1, "the file is empty");
    auto n = wholeNumber(lines[0]);
    if (!n || *n < 0) return fail(1, "the first line is not the number of bytes");
    if (*n > capacity)
        return fail(1, std::to_string(*n) + " bytes do not fit the job memory of " +
                           std::to_string(capacity));
    if (static_cast<std::size_t>(*n) != lines.size() - 1)
        return fail(1, std::to_string(*n) + " bytes announced, " +
                           std::to_string(lines.size() - 1) + " lines follow");
    out.bytes.reserve(static_cast<std::size_t>(*n));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        auto v = wholeNumber(lines[i]);
        if (!v || *v < 0 || *v > 255)
            return fail(static_cast<int>(i) + 1, "not a byte value 0..255");
        out.bytes.push_back(static_cast<std::uint8_t>(*v));
    }
    return out;
}

std::int16_t scrambleUserByte(std::uint8_t b) {
    const int v = (b - kUserOffset) * kUserFactor - kUserBias;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v) ^ kUserKey);
}

std::string userListLine(std::uint8_t b) {
    return shortNumber(scrambleUserByte(b));
}

std::string differenceLine(std::int32_t address, int expected, int read) {
    return hex(address) + "   OK: " + std::to_string(expected) + "   " + hex(expected) +
           "     BAD: " + std::to_string(read) + "   " + hex(read);
}

}  // namespace backup
