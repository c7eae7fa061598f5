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
    std::uint32_t phaseSize() const {
        return phaseExtra + phaseBase + checkpoints * 7 + 2 * (4 * bandPoints + 1);
    }
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

namespace sim {

// The header pointers that the format procedure writes after it sent an NVRAM image.
struct ImageHeader {
    std::uint32_t font8x10 = 0, font6x6 = 0, resources = 0;
    std::uint32_t menu = 0, textTable = 0, icons = 0;
    std::uint32_t menu2 = 0, textTable2 = 0;
    std::uint32_t jobAddress = 0;
    std::uint32_t endOfJobMemory = 0;    // 18..20
    std::uint32_t block226 = 0;          // 38..40 (extension 47 and above)
    std::uint32_t endOfJobMemoryFB = 0;  // 41..43 (extension 47 and above)
    std::uint8_t fontFormat = 0;
};

// Loads an image as the format procedure leaves the instrument: the whole NVRAM cleared, the
// image bytes from address 46, the header pointers, "FontOK", the signature and the profile's
// format number. False (nothing changed) when the image does not fit.
bool loadImage(const Profile& profile, std::vector<std::uint8_t>& nvram,
               const std::vector<std::uint8_t>& image, const ImageHeader& header);

}  // namespace sim
