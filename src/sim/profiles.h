#pragma once
// The instrument generations the simulator can be.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Profile {
    std::string name;
    std::string description;
    std::uint8_t protocol = 0;
    std::uint8_t extensionByte = 0;  // as answered to identification (bit 7 = loader running)
    std::uint16_t version = 0;       // hundredths: 248 = 2.48
    std::string instrumentName;
    bool loader = false;             // runs its firmware loader
    bool electric = false;
    bool formatted = true;           // NVRAM carries the signature
    std::uint32_t nvramSize = 512768;
};

const std::vector<Profile>& profiles();
// nullptr when there is no profile of that name.
const Profile* findProfile(const std::string& name);

}  // namespace sim
