#include "sim/nvram_image.h"

#include <algorithm>

namespace sim {

void putWord(std::vector<std::uint8_t>& nv, std::uint32_t address, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) nv[address + static_cast<std::uint32_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void putString(std::vector<std::uint8_t>& nv, std::uint32_t address, const std::string& text) {
    nv[address] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), nv.begin() + address + 1);
}

void formatNvram(const Profile& p, std::vector<std::uint8_t>& nv) {
    std::fill(nv.begin(), nv.end(), 0);
    const int estensioni = p.extensionByte + (p.protocol >= 39 ? 1000 : 0);
    if (p.signature) std::copy_n("KRNV", 4, nv.begin() + 7);
    nv[11] = p.formatNumber;
    if (p.loader) nv[11] |= 0x80;
    putWord(nv, 16, p.endOfConfiguration, 2);
    putWord(nv, estensioni >= 1066 ? 41 : 18, p.endOfJobMemory, 3);
    putWord(nv, 44, p.jobAddress, 2);
    if (p.protocol < 31) std::copy(p.oldCapability.begin(), p.oldCapability.end(), nv.begin() + 46);

    nv[52] = 5;    // valid samples
    nv[53] = 10;   // end-wait samples
    nv[56] = 0x03; // option bytes: a few options set in every group
    nv[57] = 0x01;
    nv[58] = 2;    // force: 2 decimals, unit index 1
    nv[59] = 1;
    nv[64] = 2;    // position: 2 decimals, unit index 0
    nv[65] = 0;
    nv[70] = 1;
    nv[71] = 0;
    putWord(nv, 72, p.counter, 4);
    nv[76] = 1;    // second force channel
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
    nv[243] = 4;   // force filter
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
}

}  // namespace sim
