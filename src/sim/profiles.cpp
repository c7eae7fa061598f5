#include "sim/profiles.h"

namespace sim {

const std::vector<Profile>& profiles() {
    static const std::vector<Profile> list = {
        {"p17e23", "protocol 17, extension 23 (first generation with block memory)", 17, 23, 215,
         "KRN-17", false, false, true, 512512},
        {"p36e51", "protocol 36, extension 51", 36, 51, 248, "KRN-36", false, false, true, 512768},
        {"p39e1060", "protocol 39, extension 1060, electric press", 39, 60, 312, "KRN-ELE", false,
         true, true, 512768},
        {"p41e1072", "protocol 41, extension 1072", 41, 72, 405, "KRN-41", false, false, true,
         512768},
        {"loader", "firmware loader of a protocol 36 instrument", 36, 51 | 0x80, 100, "", true,
         false, true, 512768},
        {"unformatted", "protocol 36 instrument with an unformatted NVRAM", 36, 51, 248, "", false,
         false, false, 512768},
    };
    return list;
}

const Profile* findProfile(const std::string& name) {
    for (const auto& p : profiles())
        if (p.name == name) return &p;
    return nullptr;
}

}  // namespace sim
