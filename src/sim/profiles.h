#pragma once
// The instrument generations the simulator can be, with what each one reports about itself and
// how its NVRAM is laid out when formatted.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The capability record (command 39) of instruments with protocol 31 and above.
struct CapabilityRecord {
    std::uint8_t jobHeader = 0;    // 1
    std::uint8_t phaseBase = 0;    // 2
    std::uint8_t bandPoints = 0;   // 3
    std::uint8_t checkpoints = 0;  // 4
    std::uint8_t statusSize = 0;   // 5
    std::uint8_t flags = 0;        // 6: bit 0 IOT, 2 VIOBUS, 3 electric press, 4 straightening
    std::uint8_t phaseExtra = 0;   // 7
    std::uint8_t inputs = 0;       // 9
    std::uint8_t outputs = 0;      // 10
    std::uint32_t memorySize = 0;  // 12..14
    std::uint16_t fieldBus = 0;    // 17, 18
    std::uint16_t bufferSize = 0;  // 19, 20
    std::uint8_t phases = 0;       // 21
    int length = 0;                // bytes answered (0 = no command 39)
};

struct Profile {
    std::string name;
    std::string description;
    std::uint8_t protocol = 0;
    std::uint8_t extensionByte = 0;  // as answered to identification, without the loader bit
    std::uint16_t version = 0;       // hundredths: 248 = 2.48
    bool loader = false;             // starts in its firmware loader
    bool signature = true;           // formatted NVRAM carries "KRNV"
    std::uint8_t formatNumber = 0;   // NVRAM byte 11 when formatted
    std::uint32_t nvramSize = 512768;
    bool hasClock = true;
    bool hasPlc = false;
    CapabilityRecord capability;
    // For protocol < 31: job header, phase base, band points, status size at NVRAM 46..49.
    std::array<std::uint8_t, 4> oldCapability{};
    std::uint8_t maxNameLength = 0;  // command 49 (0 = not answered)

    // Formatted NVRAM contents.
    std::string instrumentName;
    std::uint16_t endOfConfiguration = 768;  // NVRAM 16: as the format leaves it
    std::uint16_t jobAddress = 1024;         // NVRAM 44
    std::uint32_t endOfJobMemory = 0;        // NVRAM 18 or 41
    std::uint8_t phases = 4;                 // bits 0-1 of 244 hold phases - 1
    std::uint8_t selectableJobs = 0;         // NVRAM 102
    std::uint32_t counter = 0;               // NVRAM 72..75
    std::uint16_t motorSpeedTenths = 0;      // NVRAM 498
};

const std::vector<Profile>& profiles();
// nullptr when there is no profile of that name.
const Profile* findProfile(const std::string& name);

}  // namespace sim
