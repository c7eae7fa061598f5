#pragma once
// What backup and restore share: the section, the scrambling keys of the four protected texts,
// the unlock code, the option keys in their file order, and the instrument tables.
#include <cstdint>
#include <string>
#include <vector>

namespace backup {

inline constexpr const char* kSection = "STRUMENTO";
inline constexpr const char* kDevice = "KRN-Visual";
inline constexpr std::int16_t K1 = 0x3C;  // PWLAV
inline constexpr std::int16_t K2 = 0x5A;  // PWHW
inline constexpr std::int16_t K3 = 0x71;  // PWSBL
inline constexpr std::int16_t K4 = 0x2E;  // PWUTi
inline constexpr const char* kUnlockCode = "4242";

// The option keys in the order the backup writes them (two appear twice).
const std::vector<std::string>& optionKeysInFileOrder();

// The keys the restore never reads: they describe the instrument the file came from.
const std::vector<std::string>& informationOnlyKeys();

struct LevelRange {
    int protocollo;
    int from, to;
};
bool inTable(const std::vector<LevelRange>& table, int protocollo, int livello);
const std::vector<LevelRange>& backupTable();
const std::vector<LevelRange>& restoreTable();

}  // namespace backup
