// Operators, passwords, history and the input/output functions.
#include <gtest/gtest.h>

#include "support/instrument_rig.h"

using testing_support::InstrumentRig;

namespace {

sim::Profile extension(int e) {
    sim::Profile p = *sim::findProfile("p36e51");
    p.extensionByte = static_cast<std::uint8_t>(e);
    p.formatNumber = static_cast<std::uint8_t>(
        instrument::formatoNVRAM(36, static_cast<std::int16_t>(e), false));
    return p;
}

TEST(Users, ListsOperatorsAndTheBuiltInAdminOnOlderInstruments) {
    InstrumentRig rig(extension(45));
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(rig.control.LeggiStatoStory());
    auto& u = rig.control.users();
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 3);
    auto admin = u.LeggiDatiUtente(3);
    ASSERT_TRUE(admin.has_value());
    EXPECT_EQ(admin->Nome, "ADMIN");
    EXPECT_EQ(admin->Codice, 2222);  // the configuration password
    EXPECT_EQ(admin->Diritti, 4095);
    EXPECT_EQ(u.LeggiDatiUtente(1)->Nome, "MARIO");
    EXPECT_TRUE(rig.control.PasswordValida(4321));
    EXPECT_FALSE(rig.control.PasswordValida(9999));

    InstrumentRig newer("p36e51");
    ASSERT_TRUE(newer.openSerial());
    ASSERT_TRUE(newer.control.LeggiStatoStory());
    EXPECT_EQ(newer.control.users().LeggiNumeroUtentiTotale(), 2);
}

TEST(Users, AddsUpToFifteenAndDeletesAll) {
    InstrumentRig rig("p41e1072");
    ASSERT_TRUE(rig.openSerial());
    for (int i = 3; i <= 15; ++i)
        ASSERT_TRUE(rig.control.AggiungiUtente(1000 + i, "OP" + std::to_string(i), i)) << i;
    auto& u = rig.control.users();
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 15);
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.AggiungiUtente(77, "TOO MANY", 1));
    for (int code : rig.commands()) EXPECT_NE(code, 14) << "nothing written";
    for (int code : rig.commands()) EXPECT_NE(code, 40) << "nothing written";
    auto op = u.LeggiDatiUtente(15);
    EXPECT_EQ(op->Nome, "OP15");
    EXPECT_EQ(op->Codice, 1015);
    ASSERT_TRUE(rig.control.AggiungiUtente(0, "", 0) == false);  // still full
    ASSERT_TRUE(rig.control.EliminaUtenti());
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 0);
    ASSERT_TRUE(rig.control.AggiungiUtente(5, "A VERY LONG NAME", 4095));
    EXPECT_EQ(u.LeggiDatiUtente(1)->Nome, "A VERY LON");
}

TEST(Users, HistoryGeometryAndEntries) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(rig.control.LeggiStatoStory());
    auto& u = rig.control.users();
    EXPECT_EQ(u.AddressStory, 500000);
    EXPECT_EQ(u.LavoriConStory, 4);
    EXPECT_EQ(u.SizePuntatori, 3);
    EXPECT_EQ(u.SizeDatiUtente, 226);
    EXPECT_EQ(u.CopieStory, (std::vector<std::int32_t>{2, 0, 0, 0}));
    auto remote = u.LeggiInfoModificaStory(rig.control.link(), 1, 1);
    ASSERT_TRUE(remote.has_value());
    EXPECT_EQ(remote->operatore, "<Remote>");
    EXPECT_EQ(remote->data.month, 3);
    auto mario = u.LeggiInfoModificaStory(rig.control.link(), 1, 2);
    EXPECT_EQ(mario->operatore, "MARIO");
    EXPECT_FALSE(u.LeggiInfoModificaStory(rig.control.link(), 1, 3).has_value());
    ASSERT_TRUE(u.LeggiLavoroStory(rig.control.link(), 1, 2));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "JOB 1");
    EXPECT_EQ(u.nomeOperatore(4242), "");
}

TEST(Users, ListAboveTheHistoryIsRefused) {
    InstrumentRig rig(extension(47));
    ASSERT_TRUE(rig.openSerial());
    auto& nv = rig.instrument.nvram();
    nv[38] = 0x30;
    nv[39] = 0xA1;
    nv[40] = 0x07;  // 500016, above the history at 500000
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.LeggiStatoStory());
    nv[40] = 0x00;
    EXPECT_TRUE(rig.control.LeggiStatoStory());
}

TEST(Users, PasswordsAndProtectedAreas) {
    struct Case {
        int e;
        std::uint8_t stored;
        std::int16_t mask;
    };
    for (const Case& c : {Case{45, 0x05, 0x05}, Case{55, 0x1F, 0xCD}, Case{55, 0x02, 0x04}}) {
        InstrumentRig rig(extension(c.e));
        ASSERT_TRUE(rig.openSerial());
        rig.instrument.nvram()[48] = c.stored;
        auto& u = rig.control.users();
        ASSERT_TRUE(u.LeggiAreeConPassword());
        EXPECT_EQ(u.mascheraAree(), c.mask) << c.e;
        EXPECT_EQ(u.LeggiPasswordConfigurazione(), "2222");
        EXPECT_EQ(u.LeggiPasswordSbloccaScarto(), "3333");
    }
}

TEST(IoFunctions, NamesAcrossGenerations) {
    struct Case {
        const char* profile;
        int index;
        std::string input, output;
    };
    // Stored inputs 1, 2, 3, 8, 10, 26, 25, 0; outputs 1, 2, 5, 7, 10, 17, 40, 0.
    const Case cases[] = {
        {"p36e51", 0, "START", "GOOD"},
        {"p36e51", 5, "MOLT INDIETRO", "RETURN"},       // 26 read as 16
        {"p39e1060", 5, "START RETURN", "READY LAMP"},  // electric press
        {"p41e1072", 5, "REP_SELECTOR", "RETURN"},      // no renumbering from 1072
        {"p36e51", 6, "END PIECE", "6Output"},          // output 40 has no name
        {"p36e51", 12, "NOT USED", "NOT USED"},
    };
    for (const Case& c : cases) {
        InstrumentRig rig(c.profile);
        ASSERT_TRUE(rig.openSerial());
        EXPECT_EQ(rig.control.NomeInput(c.index), c.input) << c.profile << " " << c.index;
        EXPECT_EQ(rig.control.NomeOutput(c.index), c.output) << c.profile << " " << c.index;
        EXPECT_TRUE(rig.control.zzConEventoPezzoFinito());
    }
    InstrumentRig old(extension(45));      // eight of each, from 285 and 293
    old.instrument.nvram()[285 + 7] = 4;   // phase selector beside end piece
    old.instrument.nvram()[285 + 1] = 40;  // no such input
    ASSERT_TRUE(old.openSerial());
    EXPECT_EQ(old.control.NomeInput(1), "1Input");
    EXPECT_EQ(old.control.NomeInput(10), "NOT USED");
    EXPECT_FALSE(old.control.zzConEventoPezzoFinito());
    InstrumentRig oldest("p17e23");  // below 40: nothing read
    ASSERT_TRUE(oldest.openSerial());
    EXPECT_EQ(oldest.control.NomeInput(0), "NOT USED");
}

}  // namespace
