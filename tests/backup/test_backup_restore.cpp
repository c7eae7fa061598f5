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

TEST_F(BackupTest, RestoreRefusesForeignFilesWithoutWriting) {
    const std::vector<std::vector<std::string>> files = {
        {"[STRUMENTO]", "Device=KRN-Visual", "Protocollo= 36", "Estensioni= 51", "NumeroMisure= 2",
         "FREQACQ= 3"},
        {"[STRUMENTO]", "Device=Other", "Protocollo= 36", "Estensioni= 51", "NumeroMisure= 1",
         "FREQACQ= 3"},
        {"[OTHER]", "Device=KRN-Visual", "Protocollo= 36", "Estensioni= 51", "NumeroMisure= 1"},
        {"[STRUMENTO]", "Device=KRN-Visual", "Estensioni= 51", "NumeroMisure= 1"},
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
        EXPECT_FALSE(restoreFrom(rig, writeFile("foreign.ini", files[i]), true, true, true)) << i;
        EXPECT_TRUE(writes(rig).empty()) << i;
    }
    // No flag: the file is checked, nothing written, true.
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.clearLog();
    EXPECT_TRUE(
        restoreFrom(rig,
                    writeFile("ok.ini", {"[STRUMENTO]", "Device=KRN-Visual", "Protocollo= 36",
                                         "Estensioni= 51", "NumeroMisure= 1", "FREQACQ= 3"}),
                    false, false, false));
    EXPECT_TRUE(writes(rig).empty());
    // A family the restore does not know.
    InstrumentRig old(level(15, 13));
    ASSERT_TRUE(old.openSerial());
    EXPECT_TRUE(backup::SupportoBackup(old.control));
    EXPECT_FALSE(backup::SupportoRipristino(old.control));
}

TEST_F(BackupTest, AcquisitionFrequencyConvertsBetweenFamilies) {
    struct Case {
        int fileLevel, value;
        sim::Profile target;
        int written;
    };
    const Case cases[] = {{40, 10, *sim::findProfile("p39e1060"), 50},
                          {1060, 3, level(33, 40), 1},
                          {1060, 12, level(33, 40), 2},
                          {51, 7, *sim::findProfile("p36e51"), 7}};
    for (const Case& c : cases) {
        InstrumentRig rig(c.target);
        ASSERT_TRUE(rig.openSerial());
        const std::string f =
            writeFile("freq.ini", {"[STRUMENTO]", "Device=KRN-Visual", "Protocollo= 36",
                                   "Estensioni= " + std::to_string(c.fileLevel), "TipoFile= 2",
                                   "NumeroMisure= 1", "FREQACQ= " + std::to_string(c.value)});
        ASSERT_TRUE(restoreFrom(rig, f, false, true, false));
        EXPECT_EQ(rig.instrument.nvram()[52], c.written) << c.fileLevel << " -> " << c.target.name;
    }
}

TEST_F(BackupTest, OptionsAreOnlySetAndOldFilesUseTheOptionBytes) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(restoreFrom(
        rig,
        writeFile("opt.ini",
                  {"[STRUMENTO]", "Device=KRN-Visual", "Protocollo= 36", "Estensioni= 51",
                   "TipoFile= 2", "NumeroMisure= 1", "opstL_MOP= 0", "opstL_PCSEMPRE= 1"}),
        false, true, false));
    EXPECT_EQ(rig.instrument.nvram()[100], 0x81 | 0x40);  // MOP kept, PCSEMPRE (bit 6) added

    InstrumentRig older("p36e51");
    ASSERT_TRUE(older.openSerial());
    ASSERT_TRUE(restoreFrom(
        older,
        writeFile("type1.ini",
                  {"[STRUMENTO]", "Device=KRN-Visual", "Protocollo= 36", "Estensioni= 51",
                   "NumeroMisure= 1", "OPZIONISTR_L= 6", "opstL_PCSEMPRE= 1"}),
        false, true, false));
    // Bits 1 and 2 of the first option byte; the option keys of a type-1 file are not looked at.
    EXPECT_EQ(older.instrument.nvram()[100], 0x81 | 0x06);
}

TEST_F(BackupTest, UsersWithoutAHardwareNameGetAdmin) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    const std::string hw = scrambled(backup::K2, "7777");
    const std::string user = scrambled(backup::K4, "5555");
    ASSERT_TRUE(restoreFrom(
        rig,
        writeFile("users.ini", {"[STRUMENTO]", "Device=KRN-Visual", "Protocollo= 36",
                                "Estensioni= 51", "TipoFile= 2", "NumeroMisure= 1", "PWHW=" + hw,
                                "NUTENTI= 1", "NOMEUT1=LUCA", "PWUT1=" + user, "PERUT1= 7"}),
        false, true, false));
    auto& u = rig.control.users();
    ASSERT_TRUE(rig.control.LeggiStatoStory());
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 2);
    EXPECT_EQ(u.LeggiDatiUtente(1)->Nome, "ADMIN");
    EXPECT_EQ(u.LeggiDatiUtente(1)->Codice, 7777);
    EXPECT_EQ(u.LeggiDatiUtente(2)->Nome, "LUCA");
    EXPECT_EQ(u.LeggiDatiUtente(2)->Codice, 5555);
    EXPECT_EQ(u.LeggiDatiUtente(2)->Diritti, 7);
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
