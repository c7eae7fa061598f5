#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_usb_bridge.h"

namespace sim {

// What a simulated instrument keeps between runs.
// Its NVRAM: the raw bytes, nothing else.
enum class NvramLoad { Loaded, Missing, WrongSize, Unreadable };
NvramLoad loadNvram(const std::string& path, std::vector<std::uint8_t>& nvram);
// The same, saying what went wrong ("" when the file was loaded or is missing).
std::string loadNvramOrSayWhy(const std::string& path, std::vector<std::uint8_t>& nvram);
// Writes to a temporary file beside it and renames, so a crash never leaves half a file.
bool saveNvram(const std::string& path, const std::vector<std::uint8_t>& nvram);

// Its bridge chip's EEPROM identity: the serial number and the description, a line each. A missing
// or empty file is a chip that was never programmed; a file that cannot be read leaves the chip
// as it was and says why ("" when it was read or is missing).
std::string loadChipIdentity(const std::string& path, SimUsbDevice& chip);
bool saveChipIdentity(const std::string& path, const SimUsbDevice& chip);

}  // namespace sim
