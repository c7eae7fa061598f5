#pragma once
// The NVRAM of a freshly formatted instrument of a profile: header, memory map, units, names,
// option bytes, counter, coefficients.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/profiles.h"

namespace sim {

// Fills nvram (already sized) as the profile's instrument formats it.
void formatNvram(const Profile& profile, std::vector<std::uint8_t>& nvram);

// Little helpers for laying out NVRAM.
void putWord(std::vector<std::uint8_t>& nv, std::uint32_t address, std::uint32_t value, int bytes);
void putString(std::vector<std::uint8_t>& nv, std::uint32_t address, const std::string& text);

}  // namespace sim
