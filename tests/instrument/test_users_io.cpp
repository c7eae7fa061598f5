// Operators, passwords, history and the input/output functions.
#include <gtest/gtest.h>

#include "instrument/open_rig.h"
#include "support/instrument_rig.h"

using testing_support::InstrumentRig;
using testing_support::OpenRig;

namespace {

sim::Profile extension(int e) {
    sim::Profile p = *sim::findProfile("p36e51");
    p.extensionByte = static_cast<std::uint8_t>(e);
    p.formatNumber = static_cast<std::uint8_t>(
        instrument::formatoNVRAM(36, static_cast<std::int16_t>(e), false));
    return p;
}

TEST(Users, ListsOperatorsAndTheBuiltInAdminOnOlderInstruments) {
    OpenRig rig(extension(45)), newer("p36e51");
    ASSERT_TRUE(rig.control.LeggiStatoStory());
    auto& u = rig.control.users();
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 3);
    auto admin = u.LeggiDatiUtente(3);
    ASSERT_TRUE(admin.has_value());
    // The configuration password is the admin's code.
    EXPECT_EQ(std::tuple(admin->Nome, admin->Codice, admin->Diritti),
              std::tuple("ADMIN", 2222, 4095));
    EXPECT_EQ(u.LeggiDatiUtente(1)->Nome, "MARIO");
    EXPECT_TRUE(rig.control.PasswordValida(4321));
    EXPECT_FALSE(rig.control.PasswordValida(9999));
    ASSERT_TRUE(newer.control.LeggiStatoStory());
    EXPECT_EQ(newer.control.users().LeggiNumeroUtentiTotale(), 2);
}

TEST(Users, AddsUpToFifteenAndDeletesAll) {
    OpenRig rig("p41e1072");
    for (int i = 3; i <= 15; ++i)
        ASSERT_TRUE(rig.control.AggiungiUtente(1000 + i, "OP" + std::to_string(i), i)) << i;
    auto& u = rig.control.users();
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 15);
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.AggiungiUtente(77, "TOO MANY", 1));
    for (int code : rig.commands()) EXPECT_TRUE(code != 14 && code != 40) << "nothing written";
    EXPECT_EQ(std::pair(u.LeggiDatiUtente(15)->Nome, u.LeggiDatiUtente(15)->Codice),
              std::pair(std::string("OP15"), 1015));
    ASSERT_TRUE(rig.control.EliminaUtenti());
    EXPECT_EQ(u.LeggiNumeroUtentiTotale(), 0);
    ASSERT_TRUE(rig.control.AggiungiUtente(5, "A VERY LONG NAME", 4095));
    EXPECT_EQ(u.LeggiDatiUtente(1)->Nome, "A VERY LON");
}

TEST(Users, HistoryGeometryAndEntries) {
    OpenRig rig("p36e51");
    ASSERT_TRUE(rig.control.LeggiStatoStory());
    auto& u = rig.control.users();
    EXPECT_EQ(std::tuple(u.AddressStory, u.LavoriConStory, u.SizePuntatori, u.SizeDatiUtente),
              std::tuple(500000, 4, 3, 226));
    EXPECT_EQ(u.CopieStory, (std::vector<std::int32_t>{2, 0, 0, 0}));
    auto remote = u.LeggiInfoModificaStory(rig.control.link(), 1, 1);
    ASSERT_TRUE(remote.has_value());
    EXPECT_EQ(remote->operatore, "<Remote>");
    EXPECT_EQ(remote->data.month, 3);
    EXPECT_EQ(u.LeggiInfoModificaStory(rig.control.link(), 1, 2)->operatore, "MARIO");
    EXPECT_FALSE(u.LeggiInfoModificaStory(rig.control.link(), 1, 3).has_value());
    ASSERT_TRUE(u.LeggiLavoroStory(rig.control.link(), 1, 2));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "JOB 1");
    EXPECT_EQ(u.nomeOperatore(4242), "");
}

TEST(Users, ListAboveTheHistoryIsRefused) {
    OpenRig rig(extension(47));
    auto& nv = rig.instrument.nvram();
    nv[38] = 0x30;
    nv[39] = 0xA1;
    nv[40] = 0x07;  // 500016, above the history at 500000
    EXPECT_FALSE(rig.control.LeggiStatoStory());
    nv[40] = 0x00;
    EXPECT_TRUE(rig.control.LeggiStatoStory());
}

TEST(Users, PasswordsAndProtectedAreas) {
    const std::tuple<int, std::uint8_t, std::int16_t> cases[] = {
        {45, 0x05, 0x05}, {55, 0x1F, 0xCD}, {55, 0x02, 0x04}};  // extension, stored, mask
    for (const auto& [e, stored, mask] : cases) {
        OpenRig rig(extension(e));
        rig.instrument.nvram()[48] = stored;
        auto& u = rig.control.users();
        ASSERT_TRUE(u.LeggiAreeConPassword());
        EXPECT_EQ(u.mascheraAree(), mask) << e;
        EXPECT_EQ(u.LeggiPasswordConfigurazione(), "2222");
        EXPECT_EQ(u.LeggiPasswordSbloccaScarto(), "3333");
    }
}

TEST(IoFunctions, NamesAcrossGenerations) {
    const struct {
        const char* profile;
        int index;
        std::string input, output;
    } cases[] = {
        // Stored inputs 1, 2, 3, 8, 10, 26, 25, 0; outputs 1, 2, 5, 7, 10, 17, 40, 0.
        {"p36e51", 5, "MOLT INDIETRO", "RETURN"},       // 26 read as 16
        {"p39e1060", 5, "START RETURN", "READY LAMP"},  // electric press
        {"p41e1072", 5, "REP_SELECTOR", "RETURN"},      // no renumbering from 1072
        {"p36e51", 6, "END PIECE", "6Output"},          // output 40 has no name
    };
    for (const auto& c : cases) {
        OpenRig rig(c.profile);
        EXPECT_EQ(rig.control.NomeInput(c.index) + "/" + rig.control.NomeOutput(c.index),
                  c.input + "/" + c.output)
            << c.profile << " " << c.index;
        EXPECT_TRUE(rig.control.zzConEventoPezzoFinito());
    }
    InstrumentRig old(extension(45));      // eight of each, from 285 and 293
    old.instrument.nvram()[285 + 7] = 4;   // phase selector beside end piece
    old.instrument.nvram()[285 + 1] = 40;  // no such input
    InstrumentRig oldest("p17e23");        // below 40: nothing read
    ASSERT_TRUE(old.openSerial() && oldest.openSerial());
    EXPECT_EQ(old.control.NomeInput(1), "1Input");
    EXPECT_EQ(old.control.NomeInput(10), "NOT USED");
    EXPECT_FALSE(old.control.zzConEventoPezzoFinito());
    EXPECT_EQ(oldest.control.NomeInput(0), "NOT USED");
}

}  // namespace
