// The configuration backup and restore against the simulated instruments.
#include "backup/backup_keys.h"
#include "backup_fixture.h"

using namespace backup_testing;

namespace {

TEST_F(BackupTest, EachProfileGivesItsGoldenFile) {
    for (const char* profile : {"p17e23", "p36e51", "p39e1060", "p41e1072"}) {
        InstrumentRig rig(profile);
        ASSERT_TRUE(rig.openSerial());
        const std::string out = path(profile);
        ASSERT_TRUE(backupTo(rig, out)) << profile;
        EXPECT_EQ(fileBytes(out), fileBytes(std::string(KRN_GOLDEN_DIR) + "/" + profile + ".ini"))
            << profile;
    }
}

TEST_F(BackupTest, ReadFailureKeepsOnlyConstantsAndOptions) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    // The instrument stops answering after the calibration keys.
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer, 0, {}, 14});
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer, 0, {}, 14});
    const std::string out = path("failed.ini");
    EXPECT_FALSE(backupTo(rig, out));
    const std::string text = fileBytes(out);
    for (const char* present :
         {"Device=KRN-Visual\r\n", "TipoFile= 2\r\n", "FREQACQ= 5\r\n", "NUMLAVSEL= 8\r\n",
          "TIMERACQ= 0\r\n", "opstL_MOP= 1\r\n", "NUTENTI= 0\r\n"})
        EXPECT_NE(text.find(present), std::string::npos) << present;
    for (const char* absent :
         {"UMSUPPL", "NOMESTRUMENTO", "PRESETLUNGHEZZA", "TYPE_IN0", "NOMEHW", "NOMEUSCITA1"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
}

TEST_F(BackupTest, SecondBackupIntoTheSameStoreLeavesEachKeyOnce) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    IniFile ini;
    ini.File1(path("twice.ini"));
    ini.OpenFile1(true);
    ASSERT_TRUE(backup::EseguiBackup(rig.control, ini));
    const auto lines = ini.Count();
    rig.instrument.nvram()[52] = 9;
    ASSERT_TRUE(backup::EseguiBackup(rig.control, ini));
    EXPECT_EQ(ini.Count(), lines);
    ini.Chiave(backup::kSection);
    ini.Target("FREQACQ");
    EXPECT_EQ(ini.ValInteger(), 9);
    IniFile closed;
    EXPECT_FALSE(backup::EseguiBackup(rig.control, closed));
}

// Without a flag the file is checked and nothing is written; a family the restore does not
// know is refused. Foreign files: RefusedFilesSayWhyAndThatNothingWasWritten.
TEST_F(BackupTest, RestoreWithoutAFlagWritesNothingAndOldFamiliesAreNotRestored) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.clearLog();
    auto lines = header(51);
    lines.push_back("FREQACQ= 3");
    EXPECT_TRUE(restoreFrom(rig, writeFile("ok.ini", lines), false, false, false));
    EXPECT_TRUE(writes(rig).empty());
    InstrumentRig old(level(15, 13));
    ASSERT_TRUE(old.openSerial());
    EXPECT_TRUE(backup::SupportoBackup(old.control));
    EXPECT_FALSE(backup::SupportoRipristino(old.control));
}

TEST_F(BackupTest, OptionsAreOnlySetAndOldFilesUseTheOptionBytes) {
    // A type-2 file: MOP kept, PCSEMPRE (bit 6) added. A type-1 file: bits 1 and 2 of the first
    // option byte; its option keys are not looked at.
    auto type1 = header(51);
    type1.erase(type1.begin() + 4);  // TipoFile
    auto type2 = header(51);
    for (auto [lines, extra, written] : {std::tuple{type2, "opstL_MOP= 0", 0x81 | 0x40},
                                         {type1, "OPZIONISTR_L= 6", 0x81 | 0x06}}) {
        InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        lines.insert(lines.end(), {extra, "opstL_PCSEMPRE= 1"});
        ASSERT_TRUE(restoreFrom(rig, writeFile("opt.ini", lines), false, true, false));
        EXPECT_EQ(rig.instrument.nvram()[100], written) << extra;
    }
}

TEST_F(BackupTest, UsersWithoutAHardwareNameGetAdmin) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    const std::string hw = scrambled(backup::K2, "7777");
    const std::string user = scrambled(backup::K4, "5555");
    auto lines = header(51);
    lines.insert(lines.end(),
                 {"PWHW=" + hw, "NUTENTI= 1", "NOMEUT1=LUCA", "PWUT1=" + user, "PERUT1= 7"});
    ASSERT_TRUE(restoreFrom(rig, writeFile("users.ini", lines), false, true, false));
    auto& u = rig.control.users();
    ASSERT_TRUE(rig.control.LeggiStatoStory());
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 2);
    const auto admin = u.LeggiDatiUtente(1), luca = u.LeggiDatiUtente(2);
    EXPECT_EQ(std::tuple(admin->Nome, admin->Codice, luca->Nome, luca->Codice, luca->Diritti),
              std::tuple("ADMIN", 7777, "LUCA", 5555, 7));
}

TEST_F(BackupTest, RoundTripIntoAFreshInstrument) {
    for (const char* profile : {"p36e51", "p41e1072"}) {
        InstrumentRig source(profile);
        auto& nv = source.instrument.nvram();
        nv[52] = 8;    // FREQACQ
        nv[243] = 6;   // force filter
        nv[284] = 33;  // start force
        nv[100] |= 0x40;
        nv[203] = 0x34;  // PRESETLUNGHEZZA
        nv[269] = 20;
        ASSERT_TRUE(source.openSerial());
        ASSERT_TRUE(source.control.ScriviNome("Linea 9"));
        ASSERT_TRUE(source.control.AggiungiUtente(999, "PIA", 3));
        const std::string first = path("first.ini");
        ASSERT_TRUE(backupTo(source, first)) << profile;

        InstrumentRig target(profile);
        ASSERT_TRUE(target.openSerial());
        ASSERT_TRUE(restoreFrom(target, first, true, true, true)) << profile;
        target.control.ChiudiPortaComunicazione();
        ASSERT_TRUE(target.openSerial());
        const std::string second = path("second.ini");
        ASSERT_TRUE(backupTo(target, second));

        IniFile a, b;
        for (auto [ini, file] : {std::pair{&a, first}, std::pair{&b, second}}) {
            ini->File1(file);
            ini->OpenFile1(true);
        }
        ASSERT_EQ(a.Count(), b.Count()) << profile;
        const auto& info = backup::informationOnlyKeys();
        for (std::int32_t i = 1; i <= a.Count(); ++i) {
            const std::string& l = a.Riga(i);
            const std::string key = l.substr(0, l.find('='));
            if (std::find(info.begin(), info.end(), key) != info.end()) continue;
            EXPECT_EQ(l, b.Riga(i)) << profile;
        }
    }
}

}  // namespace
