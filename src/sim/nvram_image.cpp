#include "sim/nvram_image.h"

#include <algorithm>

namespace sim {

void putWord(std::vector<std::uint8_t>& nv, std::uint32_t address, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        nv[address + static_cast<std::uint32_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void putString(std::vector<std::uint8_t>& nv, std::uint32_t address, const std::string& text) {
    nv[address] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), nv.begin() + address + 1);
}

JobGeometry jobGeometry(const Profile& p) {
    if (p.protocol < 31)
        return {p.oldCapability[0], p.oldCapability[1], 0, 0, p.oldCapability[2], p.phases};
    const CapabilityRecord& c = p.capability;
    const int estensioni = p.extensionByte + (p.protocol >= 39 ? 1000 : 0);
    return {c.jobHeader,   c.phaseBase,  c.phaseExtra,
            c.checkpoints, c.bandPoints, estensioni >= 1066 ? c.phases : p.phases};
}

std::uint32_t userListAddress(const Profile& p) {
    const int estensioni = p.extensionByte + (p.protocol >= 39 ? 1000 : 0);
    if (estensioni < 47) return p.endOfJobMemory + kJobsWithHistory * kPointerSize;
    return p.endOfJobMemory - 240;
}

namespace {

// Two jobs, the current one first; a few fields set so that reading them shows something.
void formatJobs(const Profile& p, std::vector<std::uint8_t>& nv) {
    const JobGeometry g = jobGeometry(p);
    for (std::uint32_t n = 1; n <= 2; ++n) {
        const std::uint32_t at = p.jobAddress + (n - 1) * g.jobSize();
        putString(nv, at, "JOB " + std::to_string(n));
        nv[at + 14] = 0x01;  // phase 1 enabled
        const std::uint32_t phase = at + g.header;
        putString(nv, phase, "PRESS");
        putWord(nv, phase + 22, 1234 * n, 2);  // ForzaMax
        putWord(nv, phase + 30, 5000, 2);      // QuotaMax
        // Empty checkpoint slots and bands in every phase.
        for (std::uint32_t k = 0; k < g.phases; ++k) {
            const std::uint32_t checks = phase + k * g.phaseSize() + g.phaseBase + g.phaseExtra;
            std::fill_n(nv.begin() + checks, g.checkpoints * 7, 0xFF);
        }
    }
    nv[105] = 2;
}

void formatUsersAndHistory(const Profile& p, std::vector<std::uint8_t>& nv) {
    const int estensioni = p.extensionByte + (p.protocol >= 39 ? 1000 : 0);
    const std::uint32_t story = p.endOfJobMemory;
    putWord(nv, 18, story, 3);
    nv[241] = kJobsWithHistory;
    const std::uint32_t users = userListAddress(p);
    if (estensioni >= 47) putWord(nv, 38, users, 3);
    nv[users] = 2;
    const struct {
        std::uint16_t code;
        const char* name;
        std::uint16_t rights;
    } operators[2] = {{1234, "MARIO", 4095}, {4321, "ANNA", 15}};
    for (std::uint32_t i = 0; i < 2; ++i) {
        const std::uint32_t rec = users + 1 + 15 * i;
        putWord(nv, rec, operators[i].code, 2);
        putString(nv, rec + 2, operators[i].name);
        putWord(nv, rec + 13, operators[i].rights, 2);
    }
    // Job 1 has two stored versions: one changed over the link, one by MARIO.
    nv[story] = 2;
    const JobGeometry g = jobGeometry(p);
    const std::uint32_t records =
        story + kJobsWithHistory * kPointerSize + (estensioni < 47 ? kUserAreaSize : 0);
    const std::uint32_t recordSize = g.jobSize() + 8;
    const std::uint8_t dates[2][6] = {{0x00, 0x30, 0x08, 0x15, 0x03, 0x26},
                                      {0x45, 0x10, 0x17, 0x02, 0x11, 0x26}};
    const std::uint16_t codes[2] = {65535, 1234};
    for (std::uint32_t v = 0; v < 2; ++v) {
        const std::uint32_t at = records + v * recordSize;
        std::copy(dates[v], dates[v] + 6, nv.begin() + at);
        putWord(nv, at + 6, codes[v], 2);
        std::copy_n(nv.begin() + p.jobAddress, g.jobSize(), nv.begin() + at + 8);
    }
}

}  // namespace

void formatNvram(const Profile& p, std::vector<std::uint8_t>& nv) {
    std::fill(nv.begin(), nv.end(), 0);
    const int estensioni = p.extensionByte + (p.protocol >= 39 ? 1000 : 0);
    if (p.signature) {
        std::copy_n("FontOK", 6, nv.begin());
        nv[6] = estensioni >= 1069 ? 2 : 1;  // the font type
        std::copy_n("KRNV", 4, nv.begin() + 7);
    }
    nv[11] = p.formatNumber;
    if (p.loader) nv[11] |= 0x80;
    putWord(nv, 16, p.endOfConfiguration, 2);
    if (estensioni >= 1066) putWord(nv, 41, p.endOfJobMemory, 3);
    putWord(nv, 44, p.jobAddress, 2);
    if (p.protocol < 31) std::copy(p.oldCapability.begin(), p.oldCapability.end(), nv.begin() + 46);

    nv[52] = 5;     // valid samples
    nv[53] = 10;    // end-wait samples
    nv[56] = 0x03;  // option bytes: a few options set in every group
    nv[57] = 0x01;
    nv[58] = 2;  // force: 2 decimals, unit index 1
    nv[59] = 1;
    nv[64] = 2;  // position: 2 decimals, unit index 0
    nv[65] = 0;
    nv[70] = 1;
    nv[71] = 0;
    putWord(nv, 72, p.counter, 4);
    nv[76] = 1;  // second force channel
    nv[77] = 3;
    nv[100] = 0x81;
    nv[101] = 0x08;
    nv[102] = p.selectableJobs;
    nv[103] = 0x02;
    putString(nv, 106, p.instrumentName);
    nv[201] = 0x01;
    nv[208] = 0x10;
    nv[240] = 0x04;
    nv[242] = 0x20;
    nv[243] = 4;  // force filter
    nv[244] = static_cast<std::uint8_t>(0x40 | ((p.phases - 1) & 0x03));
    putString(nv, 255, "Freno");
    nv[269] = 12;  // deformation coefficients
    nv[270] = 34;
    nv[284] = 50;  // default start force
    putString(nv, 398, "Stop A");
    putString(nv, 412, "Stop B");
    putString(nv, 426, "Stop C");
    putWord(nv, 498, p.motorSpeedTenths, 2);
    if (p.capability.flags & 0x08) nv[511] = 0x05;
    putString(nv, 86, "1111");  // passwords: job edit, configuration, reject release
    putString(nv, 93, "2222");
    putString(nv, 194, "3333");
    if (estensioni >= 45) nv[48] = 0x05;  // protected areas (older instruments keep sizes here)
    // Input and output functions.
    static constexpr std::uint8_t inputs[8] = {1, 2, 3, 8, 10, 26, 25, 0};
    static constexpr std::uint8_t outputs[8] = {1, 2, 5, 7, 10, 17, 40, 0};
    const bool full = estensioni >= 51;
    std::copy(inputs, inputs + 8, nv.begin() + (full ? 448 : 285));
    std::copy(outputs, outputs + 8, nv.begin() + (full ? 464 : 293));
    formatJobs(p, nv);
    formatUsersAndHistory(p, nv);
}

}  // namespace sim

namespace sim {

bool loadImage(const Profile& p, std::vector<std::uint8_t>& nv,
               const std::vector<std::uint8_t>& image, const ImageHeader& h) {
    constexpr std::uint32_t kFirst = 46;
    if (kFirst + image.size() > nv.size() || h.endOfJobMemory > nv.size()) return false;
    std::fill(nv.begin(), nv.end(), 0);
    std::copy(image.begin(), image.end(), nv.begin() + kFirst);
    const int estensioni = p.extensionByte + (p.protocol >= 39 ? 1000 : 0);
    std::copy_n("FontOK", 6, nv.begin());
    nv[6] = h.fontFormat;
    std::copy_n("KRNV", 4, nv.begin() + 7);
    nv[11] = p.formatNumber;
    putWord(nv, 12, h.font8x10, 2);
    putWord(nv, 14, h.font6x6, 2);
    putWord(nv, 16, h.resources, 2);
    putWord(nv, 18, h.endOfJobMemory, 3);
    putWord(nv, 26, h.menu, 2);
    putWord(nv, 28, h.textTable, 2);
    putWord(nv, 30, h.icons, 2);
    nv[36] = nv[37] = 255;
    if (estensioni >= 47) {
        putWord(nv, 38, h.block226, 3);
        putWord(nv, 41, h.endOfJobMemoryFB, 3);
    }
    putWord(nv, 44, h.jobAddress, 2);
    if (p.protocol >= 9 && estensioni >= 11) {
        putWord(nv, 212, h.menu2, 2);
        putWord(nv, 214, h.textTable2, 2);
    }
    return true;
}

}  // namespace sim
