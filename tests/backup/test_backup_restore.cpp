// The configuration backup and restore against the simulated instruments.
#include <tuple>

#include "backup/backup_keys.h"
#include "backup_fixture.h"

using namespace backup_testing;

namespace {

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
    IniFile closed;  // a store that was never opened takes no backup
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
    EXPECT_TRUE(restore(rig, writeFile("ok.ini", lines), false, false, false));
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
        ASSERT_TRUE(restore(rig, writeFile("opt.ini", lines), false, true, false));
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
    ASSERT_TRUE(restore(rig, writeFile("users.ini", lines), false, true, false));
    auto& u = rig.control.users();
    ASSERT_TRUE(rig.control.LeggiStatoStory());
    const auto admin = u.LeggiDatiUtente(1), luca = u.LeggiDatiUtente(2);
    EXPECT_EQ(std::tuple(u.LeggiNumeroUtentiTotale(), admin->Nome, admin->Codice, luca->Nome,
                         luca->Codice, luca->Diritti),
              std::tuple(2, "ADMIN", 7777, "LUCA", 5555, 7));
}

// Into a fresh instrument, where every value the restore leaves out would show: a second backup
// equals the first but for the information-only keys.
TEST_F(BackupTest, RoundTripIntoAFreshInstrument) {
    const auto& info = backup::informationOnlyKeys();
    const auto settings = [&](const std::string& file) {
        std::vector<std::string> out;
        const auto lines = platform::readTextLines(file, platform::FileKind::Backup, nullptr);
        for (const auto& l : lines.value_or(std::vector<std::string>{}))
            if (std::find(info.begin(), info.end(), l.substr(0, l.find('='))) == info.end())
                out.push_back(l);
        return out;
    };
    for (const char* profile : {"p36e51", "p41e1072"}) {
        InstrumentRig source(profile);
        auto& nv = source.instrument.nvram();
        // FREQACQ, force filter, start force, PCSEMPRE, PRESETLUNGHEZZA, deformation
        for (const auto& [address, value] :
             {std::pair{52, 8}, {243, 6}, {284, 33}, {100, nv[100] | 0x40}, {203, 0x34}, {269, 20}})
            nv[address] = static_cast<std::uint8_t>(value);
        ASSERT_TRUE(source.openSerial());
        ASSERT_TRUE(source.control.ScriviNome("Linea 9"));
        ASSERT_TRUE(source.control.AggiungiUtente(999, "PIA", 3));
        ASSERT_TRUE(backupTo(source, path("first.ini"))) << profile;
        InstrumentRig target(profile);
        ASSERT_TRUE(target.openSerial());
        ASSERT_TRUE(restore(target, path("first.ini"), true, true, true)) << profile;
        target.control.ChiudiPortaComunicazione();
        ASSERT_TRUE(target.openSerial());
        ASSERT_TRUE(backupTo(target, path("second.ini")));
        EXPECT_EQ(settings(path("second.ini")), settings(path("first.ini"))) << profile;
    }
}

}  // namespace
