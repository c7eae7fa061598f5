// Backup, restore into the same instrument, backup again: identical files and an unchanged
// NVRAM, with every restorable setting of the configuration area set to a varied value.
#include <random>

#include "backup/key_table.h"
#include "backup_fixture.h"

using namespace backup_testing;

namespace {

int levelOf(const sim::Profile& p) {
    return p.extensionByte + (p.protocol >= 39 ? 1000 : 0);
}

// Writes a varied value into every field the backup reads and the restore writes back at the
// profile's level, straight into the simulator's NVRAM.
void fillConfiguration(InstrumentRig& rig, const sim::Profile& p, std::uint32_t seed) {
    using namespace backup;
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    auto& nv = rig.instrument.nvram();
    const int L = levelOf(p);
    const bool electric = (p.capability.flags & 0x08) != 0;
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-";
    for (const KeySpec& row : keyTable()) {
        if (row.group == Group::None || !row.backup.has(L) || !row.restore.has(L)) continue;
        if (row.need == Need::ElectricPress && !electric) continue;
        if (row.need == Need::ProtocolBelow39 && p.protocol >= 39) continue;
        const auto at = static_cast<std::size_t>(row.address);
        if (row.field == Field::Text) {
            int slot = row.slot;
            if (row.exception == Exception::InstrumentName)
                slot = std::min(slot, p.maxNameLength ? p.maxNameLength : 13);
            const int length = pick(0, slot);
            nv[at] = static_cast<std::uint8_t>(length);
            for (int i = 1; i <= length; ++i)
                nv[at + i] = static_cast<std::uint8_t>(letters[pick(0, 36)]);
            continue;
        }
        for (int i = 0; i < row.width(); ++i) nv[at + i] = static_cast<std::uint8_t>(pick(0, 255));
        if (row.exception == Exception::BelowThree) nv[at] = static_cast<std::uint8_t>(pick(0, 2));
    }
    // The old unit of the deformation coefficient, odd values too.
    if (L > 30 && L < 1071) nv[269] = static_cast<std::uint8_t>(pick(0, 255));
    // Input and output functions; below 1062 the instrument keeps the electric-press starts as
    // 26 and 27, never as 16 and 17.
    for (std::size_t i = 0; i < 32 && L >= 51; ++i) {
        int code = pick(0, 40);
        if (L < 1062 && i < 16 && (code == 16 || code == 17)) code += 10;
        nv[448 + i] = static_cast<std::uint8_t>(code);
    }
}

TEST_F(BackupTest, RoundTripKeepsFileAndMemoryOnEveryProfile) {
    std::uint32_t seed = 1;
    for (const char* name : {"p17e23", "p36e51", "p39e1060", "p41e1072"}) {
        for (int variant = 0; variant < 3; ++variant) {
            const sim::Profile& p = *sim::findProfile(name);
            InstrumentRig rig(p);
            fillConfiguration(rig, p, seed++);
            ASSERT_TRUE(rig.openSerial());
            const std::string first = path("first.ini"), second = path("second.ini");
            const backup::Result taken = backup::backupToFile(rig.control, first);
            ASSERT_TRUE(taken) << name << ": " << taken.message;
            const std::vector<std::uint8_t> before = rig.instrument.nvram();

            IniFile ini;
            ASSERT_FALSE(backup::openBackupFile(ini, first).has_value());
            platform::NoProgress none;
            const backup::Result restored =
                backup::restoreFromFile(rig.control, ini, {true, true, true}, none);
            ASSERT_TRUE(restored) << name << ": " << restored.message;
            const auto& after = rig.instrument.nvram();
            for (std::size_t a = 0; a < before.size(); ++a)
                ASSERT_EQ(int(after[a]), int(before[a]))
                    << name << " variant " << variant << ", NVRAM " << a;

            rig.control.ChiudiPortaComunicazione();
            ASSERT_TRUE(rig.openSerial());
            ASSERT_TRUE(backup::backupToFile(rig.control, second));
            EXPECT_EQ(fileBytes(second), fileBytes(first)) << name << " variant " << variant;
        }
    }
}

}  // namespace
