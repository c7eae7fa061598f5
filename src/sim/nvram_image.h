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

// Layout numbers the profile's instrument reports and keeps.
struct JobGeometry {
    std::uint32_t header, phaseBase, phaseExtra, checkpoints, bandPoints, phases;
    std::uint32_t phaseSize() const { return phaseExtra + phaseBase + checkpoints * 7 + 2 * (4 * bandPoints + 1); }
    std::uint32_t jobSize() const { return phases * phaseSize() + header; }
};
JobGeometry jobGeometry(const Profile& p);

// The history area: job records kept per job and the size of one stored version.
inline constexpr std::uint32_t kJobsWithHistory = 4;
inline constexpr std::uint32_t kPointerSize = 3;
inline constexpr std::uint32_t kVersionsPerJob = 4;
inline constexpr std::uint32_t kUserAreaSize = 1 + 15 * 15;
// The address of the operator list for the profile.
std::uint32_t userListAddress(const Profile& p);

// Little helpers for laying out NVRAM.
void putWord(std::vector<std::uint8_t>& nv, std::uint32_t address, std::uint32_t value, int bytes);
void putString(std::vector<std::uint8_t>& nv, std::uint32_t address, const std::string& text);

}  // namespace sim
