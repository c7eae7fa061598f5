#pragma once
// Firmware files (".atm") and the loader block files ("blockKRNV1.asm", "blockKRNV0.asm"): text,
// one record per line, "address:first:second" in decimal, standing for the bytes at address and
// address + 1. A file is read and checked whole before anything is written: every line a
// record, both values 0..255, both bytes inside the flash, no byte given twice.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace resources {

// A flash address is sent as three bytes: records may lie anywhere in 0 .. 0xFFFFFF (each record
// is two bytes, at its address and the next). How much flash an instrument really has is not
// told by it; an address it lacks fails at the write or the check.
inline constexpr std::int64_t kFlashAddressSpace = 1 << 24;
// The flash is erased in pages of this size; a record at a multiple of it starts a page.
inline constexpr std::int32_t kFlashPage = 64;

inline constexpr const char* kLoaderBlock1 = "blockKRNV1.asm";
inline constexpr const char* kLoaderBlock0 = "blockKRNV0.asm";

struct FirmwareRecord {
    std::int32_t address = 0;
    std::uint8_t first = 0, second = 0;
    std::size_t lineLength = 0;  // without the line ending
};

struct FirmwareFile {
    std::vector<FirmwareRecord> records;
    std::uint64_t bytes = 0;  // the file's length
};

struct FirmwareProblem {
    int line = 0;  // 1-based
    std::string reason;
};

struct FirmwareRead {
    std::optional<FirmwareFile> file;
    std::optional<FirmwareProblem> problem;  // malformed
    bool unreadable = false;                 // missing or unreadable
    std::string reason;                      // why, when unreadable
};

// The file's text (CR LF or LF line ends).
FirmwareRead parseFirmware(std::string_view text);
FirmwareRead readFirmwareFile(const std::string& path);

// The key every data byte is XOR-ed with on its way to the loader (the instrument's loader
// removes it). It is the flash read mask: a byte written as value ^ key reads back as value.
inline constexpr std::uint8_t kFlashWriteKey = 0xA5;

}  // namespace resources
