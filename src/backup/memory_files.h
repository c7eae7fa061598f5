#pragma once
// The byte-level memory files of the main window: the dump "Memory.asm" and its import, the job
// copy "CopiaLavori.bin", the scrambled user list and the differences log "Diff.asm". One record
// per line; the files are written with CR LF in Windows-1252 (all their text is ASCII).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace backup {

inline constexpr const char* kMemoryFile = "Memory.asm";
inline constexpr const char* kDifferencesFile = "Diff.asm";
inline constexpr const char* kJobCopyFile = "CopiaLavori.bin";

// A file refused before anything was written: the 1-based line at fault and why.
struct FileProblem {
    int line = 0;
    std::string reason;
};

// A file refused, with its line at fault, before anything was written.
inline std::string refusedFile(const std::string& path, int line, const std::string& reason) {
    return "The file " + path + " is not valid at line " + std::to_string(line) + ": " + reason +
           ".\nNothing was written.";
}

// --- memory dump ---
// "10   255   FF" for the byte 255 at address 16; "10   ERRORE!" when it could not be read.
std::string dumpLine(std::int32_t address, std::optional<std::uint8_t> value);

struct DumpEntry {
    std::int32_t address = 0;
    std::uint8_t value = 0;
    int line = 0;  // 1-based line of the file it came from
    bool operator==(const DumpEntry&) const = default;
};

// One import line: a hexadecimal address (up to eight digits), blanks, a decimal byte; anything
// after the next blank is ignored. nullopt for any other line.
std::optional<DumpEntry> parseDumpLine(const std::string& line);

// The whole import, checked before the first write: every line that is not blank must be a dump
// line whose address lies below memorySize. Blank lines are skipped.
struct DumpImport {
    std::vector<DumpEntry> entries;
    std::optional<FileProblem> problem;
};
DumpImport parseDump(const std::vector<std::string>& lines, std::int32_t memorySize);

// --- job copy ---
// The short decimal form of the job copy and the user list: " 5", "-5".
std::string shortNumber(long value);

// First line N, then one byte per line.
std::vector<std::string> jobCopyLines(const std::vector<std::uint8_t>& bytes);

// N must be a whole number from 0 to capacity, exactly N lines must follow and each must hold a
// whole number 0..255.
struct JobCopy {
    std::vector<std::uint8_t> bytes;
    std::optional<FileProblem> problem;
};
JobCopy parseJobCopy(const std::vector<std::string>& lines, std::int32_t capacity);

// --- user list ---
// The byte b becomes ((b - kUserOffset) * kUserFactor - kUserBias) XOR kUserKey, a signed
// 16-bit number; different bytes give different numbers.
inline constexpr int kUserOffset = 17;
inline constexpr int kUserFactor = 97;
inline constexpr int kUserBias = 1000;
inline constexpr int kUserKey = 0x5A;
std::int16_t scrambleUserByte(std::uint8_t b);
std::string userListLine(std::uint8_t b);

// --- differences log ---
// "1F   OK: 10   A     BAD: 11   B".
std::string differenceLine(std::int32_t address, int expected, int read);

}  // namespace backup
