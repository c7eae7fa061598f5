#include "sim/profiles.h"

namespace sim {
namespace {

Profile p17e23() {
    Profile p;
    p.name = "p17e23";
    p.description = "protocol 17, extension 23 (byte-by-byte memory access)";
    p.protocol = 17;
    p.extensionByte = 23;
    p.version = 205;
    p.formatNumber = 2;
    p.nvramSize = 512512;
    p.hasPlc = true;
    p.oldCapability = {64, 56, 10, 20};
    p.endOfJobMemory = 200000;
    p.instrumentName = "KRN-17";
    p.phases = 4;
    p.selectableJobs = 3;
    return p;
}

Profile p36e51() {
    Profile p;
    p.name = "p36e51";
    p.description = "protocol 36, extension 51";
    p.protocol = 36;
    p.extensionByte = 51;
    p.version = 248;
    p.formatNumber = 11;
    p.capability = {110, 72, 20, 8, 30, 0, 10, 8, 6, 512768, 0, 256, 8, 21};
    p.instrumentName = "KRN-36";
    p.phases = 4;
    p.selectableJobs = 7;
    p.endOfJobMemory = 500000;
    p.counter = 123456;
    return p;
}

Profile p39e1060() {
    Profile p;
    p.name = "p39e1060";
    p.description = "protocol 39, extension 1060, electric press";
    p.protocol = 39;
    p.extensionByte = 60;
    p.version = 312;
    p.formatNumber = 14;
    p.capability = {120, 80, 20, 10, 30, 0x08, 20, 10, 8, 512768, 0, 512, 4, 21};
    p.instrumentName = "KRN-ELE";
    p.phases = 2;
    p.endOfJobMemory = 480000;
    p.motorSpeedTenths = 2500;
    return p;
}

Profile p41e1072() {
    Profile p;
    p.name = "p41e1072";
    p.description = "protocol 41, extension 1072";
    p.protocol = 41;
    p.extensionByte = 72;
    p.version = 405;
    p.formatNumber = 24;
    p.capability = {140, 80, 25, 12, 40, 0x01, 24, 6, 5, 1048576, 2048, 1024, 16, 21};
    p.nvramSize = 1048576;
    p.maxNameLength = 20;
    p.instrumentName = "KRN-41 Line 3";
    p.endOfJobMemory = 900000;
    p.counter = 7;
    return p;
}

std::vector<Profile> all() {
    std::vector<Profile> list = {p17e23(), p36e51(), p39e1060(), p41e1072()};
    Profile loader = p36e51();
    loader.name = "loader";
    loader.description = "protocol 36 instrument running its firmware loader";
    loader.loader = true;
    list.push_back(loader);
    Profile unformatted = p36e51();
    unformatted.name = "unformatted";
    unformatted.description = "protocol 36 instrument whose NVRAM lacks the signature";
    unformatted.signature = false;
    list.push_back(unformatted);
    Profile first = p17e23();
    first.name = "p9e9";
    first.description =
        "protocol 9, extension 9 (the first loader, switched through NVRAM byte 11 alone)";
    first.protocol = 9;
    first.extensionByte = 9;
    first.version = 190;
    first.formatNumber = 1;
    first.hasClock = false;
    first.hasPlc = false;
    first.instrumentName = "KRN-9";
    list.push_back(first);
    Profile e20 = p17e23();
    e20.name = "p17e20";
    e20.description =
        "protocol 17, extension 20 (memory tested from the computer; the whole 512 KiB chip)";
    e20.extensionByte = 20;
    e20.version = 198;
    e20.nvramSize = 524288;
    list.push_back(e20);
    Profile wrongFormat = p36e51();
    wrongFormat.name = "wrongformat";
    wrongFormat.description = "protocol 36 instrument whose NVRAM has another format number";
    wrongFormat.formatNumber = 10;
    list.push_back(wrongFormat);
    return list;
}

}  // namespace

const std::vector<Profile>& profiles() {
    static const std::vector<Profile> list = all();
    return list;
}

const Profile* findProfile(const std::string& name) {
    for (const auto& p : profiles())
        if (p.name == name) return &p;
    return nullptr;
}

}  // namespace sim
