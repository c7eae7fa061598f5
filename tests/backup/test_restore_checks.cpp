// What the restore writes and refuses: its own memory back, texts cut to their slots, values
// converted for the target, values checked before any write, control characters.
#include <tuple>

#include "backup/backup_keys.h"
#include "backup_fixture.h"

using namespace backup_testing;

namespace {

// Restoring its own backup, twice, leaves the input and output assignments of 40 <= L < 51
// (inputs at 285..292, outputs at 293..300) and the operator list as they were, also below
// extension 45, where the built-in operator is not stored and codes cannot be checked with
// PasswordValida.
TEST_F(BackupTest, RestoringItsOwnBackupKeepsInputsOutputsAndOperators) {
    // The bytes of the inputs and outputs, and every operator as code, name and rights.
    const auto kept = [](InstrumentRig& rig) {
        const auto& nv = rig.instrument.nvram();
        std::vector<std::tuple<std::int32_t, std::string, std::int32_t>> operators;
        for (const auto& o :
             rig.control.users().ElencoUtenti().value_or(std::vector<instrument::Operatore>{}))
            operators.emplace_back(o.Codice, o.Nome, o.Diritti);
        return std::pair(std::vector<std::uint8_t>(nv.begin() + 285, nv.begin() + 301), operators);
    };
    for (sim::Profile p : {*sim::findProfile("p17e23"), level(33, 40), level(33, 45), level(34, 48),
                           level(36, 50), *sim::findProfile("p36e51"),
                           *sim::findProfile("p39e1060"), *sim::findProfile("p41e1072")}) {
        SCOPED_TRACE(p.name + " e" + std::to_string(p.extensionByte));
        InstrumentRig rig(p);
        // Below level 45 the bytes at 72 are the supplementary measure's name; the image of the
        // p36e51 simulator holds other values there, which are no text.
        if (p.extensionByte < 45) std::copy_n("\5METRO", 6, rig.instrument.nvram().begin() + 72);
        ASSERT_TRUE(rig.openSerial());
        ASSERT_TRUE(rig.control.LeggiStatoStory());
        ASSERT_TRUE(rig.control.users().ElencoUtenti().has_value());
        const auto before = kept(rig);
        ASSERT_TRUE(backupTo(rig, path("own.ini")));
        for (int twice = 0; twice < 2; ++twice)
            ASSERT_TRUE(restore(rig, path("own.ini"), true, true, true));
        EXPECT_EQ(kept(rig), before);
    }
}

TEST_F(BackupTest, TextsAreCutToTheirSlots) {
    using Case = std::tuple<const char*, std::int32_t, std::size_t>;  // key, address, slot
    const Case cases[] = {{"NOMETEST1", 314, 13},
                          {"NOMECHKPNTOUT3", 426, 13},
                          {"NOMESTRUMENTO", 106, 13},
                          {"DEFAULTNOMEFASE1", 136, 10},
                          {"NOMEUSCITA1", 255, 13}};
    const std::string longText(300, 'X');
    for (const auto& [key, address, slot] : cases) {
        SCOPED_TRACE(key);
        InstrumentRig rig("p36e51");
        auto& nv = rig.instrument.nvram();
        ASSERT_TRUE(rig.openSerial());
        const std::vector<std::uint8_t> before = nv;
        auto lines = header(51);
        lines.push_back(std::string(key) + "=" + longText);
        ASSERT_TRUE(restore(rig, writeFile("long.ini", lines), false, true, false));
        // The length byte and the text cut to the slot; nothing after the slot changed.
        const auto end = nv.begin() + address + 1 + static_cast<std::ptrdiff_t>(slot);
        EXPECT_EQ(std::tuple(std::size_t{nv[address]}, std::string(nv.begin() + address + 1, end)),
                  std::tuple(slot, longText.substr(0, slot)));
        EXPECT_TRUE(std::equal(end, nv.begin() + 1000, before.begin() + (end - nv.begin())));
    }
    // The backup reads no more than the slot either, whatever the length byte says.
    InstrumentRig rig("p36e51");
    rig.instrument.nvram()[314] = 200;
    std::fill_n(rig.instrument.nvram().begin() + 315, 200, 'N');
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(backupTo(rig, path("read.ini")));
    EXPECT_NE(fileBytes(path("read.ini")).find("\r\nNOMETEST1=NNNNNNNNNNNNN\r\nNOMETEST2=NNNN"),
              std::string::npos);
}

// One key restored into an instrument, and the byte it writes: the acquisition frequency between
// families; input codes (16 and 17 are the tool's codes of the electric-press starts, below 1062
// the instrument keeps them as 26 and 27); fractions in integer keys rounded as the store's
// integer readers do (halves to the even one); deformation coefficients converted only between
// units.
TEST_F(BackupTest, RestoredValuesAreConvertedForTheTarget) {
    struct Case {
        int fileLevel;
        const char* line;
        sim::Profile target;
        std::int32_t address;  // -1: only accepted
        int written;
    };
    const sim::Profile p36 = *sim::findProfile("p36e51"), p39 = *sim::findProfile("p39e1060"),
                       p41 = *sim::findProfile("p41e1072"), p33 = level(33, 40);
    const Case cases[] = {
        {40, "FREQACQ= 10", p39, 52, 50},          {1060, "FREQACQ= 3", p33, 52, 1},
        {1060, "FREQACQ= 12", p33, 52, 2},         {51, "FREQACQ= 7", p36, 52, 7},
        {1072, "TYPE_IN3= 16", p36, 451, 26},      {1072, "TYPE_IN3= 17", p36, 451, 27},
        {1072, "TYPE_IN3= 16", p39, 451, 26},      {51, "TYPE_IN3= 26", p36, 451, 26},
        {51, "TYPE_IN3= 16", p39, 451, 26},        {51, "TYPE_IN3= 26", p41, 451, 16},
        {1072, "TYPE_IN3= 16", p41, 451, 16},      {1072, "TYPE_IN3= 26", p41, 451, 26},
        {1072, "TYPE_IN3= 8", p36, 451, 8},        {51, "FZERO_DEFAULT= 12.6", p36, 284, 13},
        {51, "FZERO_DEFAULT= 12.5", p36, 284, 12}, {51, "FZERO_DEFAULT= 13.5", p36, 284, 14},
        {51, "TIMESTOP= 254.4", p36, 53, 254},     {51, "VITAUTENSILE= 2.5", p36, 302, 2},
        {51, "NUTENTI= 0.4", p36, -1, 0},          {51, "COEF_DEFO_A= 13", p36, 269, 13},
        {51, "COEF_DEFO_A= 13", p41, 269, 6},      {51, "COEF_DEFOR_HF= 13", p36, 269, 26},
        {51, "COEF_DEFOR_HF= 13", p41, 269, 13},   {51, "COEF_DEFO_LF= 9", p41, 249, 4},
        {51, "COEF_DEFOR_LF= 9", p41, 249, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fileLevel) + " " + c.line + " -> " + c.target.name);
        InstrumentRig rig(c.target);
        ASSERT_TRUE(rig.openSerial());
        auto lines = header(c.fileLevel);
        lines.push_back(c.line);
        ASSERT_TRUE(restore(rig, writeFile("one.ini", lines), true, true, false));
        if (c.address >= 0) {
            EXPECT_EQ(rig.instrument.nvram()[c.address], c.written);
        }
    }
}

// Every key the restore will write is checked first: a value that is not a number, does not fit
// or holds a control character refuses the file, names key and line, and nothing is written.
TEST_F(BackupTest, ValuesThatDoNotFitRefuseTheWholeFile) {
    const std::string byte = "does not fit its field (0 to 255)";
    using Case = std::tuple<const char*, const char*, std::string>;  // line, profile, "which ..."
    const Case cases[] = {
        {"TYPE_OUT0=300", "p36e51", byte},
        {"TIMESTOP=&HFFF", "p36e51", byte},
        {"FREQACQ=fast", "p36e51", "is not a number"},
        {"GAINQUOTA= 70000", "p36e51", "does not fit its field (-32768 to 65535)"},
        {"FZERO_DEFAULT= 255.5", "p36e51", byte},
        {"optPE_AUTO_ACCEL= 2.6", "p39e1060", byte},
        {"NUTENTI= 40", "p36e51", "is not a number of operators (0 to 16)"},
        {"OPZIONISTR_L= 256", "p36e51", byte},  // in a type-1 file, on line 7
        {"NOMESTRUMENTO=AB\tC", "p36e51", "holds a control character"},
        {"NOMEUSCITA1=Stop\x01", "p36e51", "holds a control character"},
    };
    for (const auto& [badLine, profile, why] : cases) {
        SCOPED_TRACE(badLine);
        InstrumentRig rig(profile);
        ASSERT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
        auto lines = header(rig.control.Estensioni(), rig.control.Protocollo());
        lines.insert(lines.begin() + 6, {"UMFORZA= 2", badLine});  // a good key before the bad one
        const std::string line(badLine), key = line.substr(0, line.find('='));
        if (key == "OPZIONISTR_L") lines.erase(lines.begin() + 4);  // a type-1 file
        const std::string file = writeFile("bad.ini", lines);
        const backup::Result r = restore(rig, file, true, true, true);
        EXPECT_EQ(std::tuple(r.outcome, r.exitCode(), r.message),
                  std::tuple(backup::Outcome::FileError, 4,
                             file + " was refused: key " + key + " on line " +
                                 (key == "OPZIONISTR_L" ? "7" : "8") + " has the value \"" +
                                 line.substr(key.size() + 1) + "\", which " + why +
                                 ".\nNothing was written."));
        EXPECT_TRUE(writes(rig).empty());
    }
}

// A name ends at its first NUL (the padding is not saved) and a line break in it never makes a
// line of its own in a backup; either backup restores into the same instrument.
TEST_F(BackupTest, ANameEndsAtItsFirstNulAndNeverBreaksALine) {
    using namespace std::string_literals;
    for (const auto& [name, line] : {std::pair{"AB\0\0\0"s, "NOMESTRUMENTO=AB"s},
                                     {"AB\r\nNUTENTI=9"s, "NOMESTRUMENTO=AB  NUTENTI=9"s}}) {
        InstrumentRig rig("p36e51");
        rig.instrument.nvram()[106] = static_cast<std::uint8_t>(name.size());
        std::copy(name.begin(), name.end(), rig.instrument.nvram().begin() + 107);
        ASSERT_TRUE(rig.openSerial());
        ASSERT_TRUE(backupTo(rig, path("name.ini")));
        const auto lines =
            *platform::readTextLines(path("name.ini"), platform::FileKind::Backup, nullptr);
        EXPECT_EQ(std::tuple(std::count(lines.begin(), lines.end(), line),
                             std::count(lines.begin(), lines.end(), "NUTENTI=9")),
                  std::tuple(1, 0));
        EXPECT_TRUE(restore(rig, path("name.ini"), false, true, false));
        EXPECT_EQ(rig.instrument.nvram()[106], line.size() - 14);
    }
}

}  // namespace
