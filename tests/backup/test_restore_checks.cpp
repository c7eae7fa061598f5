// What the restore writes and refuses: its own bytes for inputs and outputs, texts cut to their
// slots, operators matched by code, input codes adapted, values checked before any write.
#include "backup/backup_keys.h"
#include "backup_fixture.h"

using namespace backup_testing;

namespace {

// Restoring its own backup leaves the input and output assignments of 40 <= L < 51 (inputs at
// 285..292, outputs at 293..300) as they were.
TEST_F(BackupTest, InputsAndOutputsOfMidLevelsKeepTheirOwnBytes) {
    for (auto [protocol, e] :
         {std::pair{33, 40}, std::pair{33, 45}, std::pair{34, 48}, std::pair{36, 50}}) {
        InstrumentRig rig(level(protocol, e));
        supplementaryName(rig, e);
        ASSERT_TRUE(rig.openSerial());
        const std::vector<std::uint8_t> before(rig.instrument.nvram().begin() + 285,
                                               rig.instrument.nvram().begin() + 301);
        ASSERT_EQ(before[8], 1) << "output 1 is GOOD";
        ASSERT_TRUE(backupTo(rig, path("mid.ini"))) << e;
        ASSERT_TRUE(restoreFrom(rig, path("mid.ini"), true, true, true)) << e;
        const std::vector<std::uint8_t> after(rig.instrument.nvram().begin() + 285,
                                              rig.instrument.nvram().begin() + 301);
        EXPECT_EQ(after, before) << e;
    }
}

TEST_F(BackupTest, TextsAreCutToTheirSlots) {
    struct Case {
        const char* key;
        std::int32_t address;
        std::size_t slot;
    };
    const Case cases[] = {{"NOMETEST1", 314, 13},
                          {"NOMECHKPNTOUT3", 426, 13},
                          {"NOMESTRUMENTO", 106, 13},
                          {"DEFAULTNOMEFASE1", 136, 10},
                          {"NOMEUSCITA1", 255, 13}};
    const std::string longText(300, 'X');
    for (const Case& c : cases) {
        InstrumentRig rig("p36e51");
        auto& nv = rig.instrument.nvram();
        ASSERT_TRUE(rig.openSerial());
        const std::vector<std::uint8_t> before = nv;
        auto lines = header(51);
        lines.push_back(std::string(c.key) + "=" + longText);
        ASSERT_TRUE(restoreFrom(rig, writeFile("long.ini", lines), false, true, false)) << c.key;
        EXPECT_EQ(nv[c.address], c.slot) << c.key;
        EXPECT_EQ(std::string(nv.begin() + c.address + 1, nv.begin() + c.address + 1 + c.slot),
                  longText.substr(0, c.slot));
        // Nothing outside the slot changed.
        for (std::size_t a = c.address + 1 + c.slot; a < 1000; ++a)
            ASSERT_EQ(nv[a], before[a]) << c.key << " @" << a;
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

// A backup restored into the same instrument leaves its operator list as it was, also below
// extension 45, where the built-in operator is not stored and codes cannot be checked with
// PasswordValida.
TEST_F(BackupTest, RestoreKeepsTheOperatorListOfEveryProfile) {
    for (sim::Profile p :
         {*sim::findProfile("p17e23"), level(33, 40), level(33, 45), *sim::findProfile("p36e51"),
          *sim::findProfile("p39e1060"), *sim::findProfile("p41e1072")}) {
        InstrumentRig rig(p);
        supplementaryName(rig, p.extensionByte);
        ASSERT_TRUE(rig.openSerial());
        ASSERT_TRUE(rig.control.LeggiStatoStory());
        const auto before = rig.control.users().ElencoUtenti();
        ASSERT_TRUE(before.has_value());
        ASSERT_TRUE(backupTo(rig, path("ops.ini"))) << p.name;
        for (int twice = 0; twice < 2; ++twice)
            ASSERT_TRUE(restoreFrom(rig, path("ops.ini"), false, true, false)) << p.name;
        const auto after = rig.control.users().ElencoUtenti();
        ASSERT_TRUE(after.has_value());
        ASSERT_EQ(after->size(), before->size()) << p.name << " e" << int(p.extensionByte);
        for (std::size_t i = 0; i < before->size(); ++i) {
            EXPECT_EQ((*after)[i].Codice, (*before)[i].Codice) << p.name;
            EXPECT_EQ((*after)[i].Nome, (*before)[i].Nome) << p.name;
            EXPECT_EQ((*after)[i].Diritti, (*before)[i].Diritti) << p.name;
        }
    }
}

// 16 and 17 are the tool's codes of the electric-press starts; below 1062 the instrument keeps
// them as 26 and 27.
TEST_F(BackupTest, InputCodesAreAdaptedToTheTarget) {
    struct Case {
        int fileLevel, code;
        const char* profile;
        int written;
    };
    const Case cases[] = {
        {1072, 16, "p36e51", 26},   {1072, 17, "p36e51", 27},   {1072, 16, "p39e1060", 26},
        {51, 26, "p36e51", 26},     {51, 16, "p39e1060", 26},   {51, 26, "p41e1072", 16},
        {1072, 16, "p41e1072", 16}, {1072, 26, "p41e1072", 26}, {1072, 8, "p36e51", 8}};
    for (const Case& c : cases) {
        InstrumentRig rig(c.profile);
        ASSERT_TRUE(rig.openSerial());
        auto lines = header(c.fileLevel);
        lines.push_back("TYPE_IN3= " + std::to_string(c.code));
        ASSERT_TRUE(restoreFrom(rig, writeFile("in.ini", lines), false, true, false));
        EXPECT_EQ(rig.instrument.nvram()[448 + 3], c.written)
            << c.fileLevel << " " << c.code << " -> " << c.profile;
    }
}

// Every key the restore will write is checked first: a value that is not a number or does not
// fit refuses the file, names key and line, and nothing is written.
TEST_F(BackupTest, ValuesThatDoNotFitRefuseTheWholeFile) {
    struct Case {
        const char* line;
        const char* profile;
        const char* text;
    };
    const Case cases[] = {
        {"TYPE_OUT0=300", "p36e51",
         "key TYPE_OUT0 on line 8 has the value \"300\", which does not fit its field (0 to 255)"},
        {"TIMESTOP=&HFFF", "p36e51",
         "key TIMESTOP on line 8 has the value \"&HFFF\", which does not fit its field (0 to 255)"},
        {"FREQACQ=fast", "p36e51",
         "key FREQACQ on line 8 has the value \"fast\", which is not a number"},
        {"GAINQUOTA= 70000", "p36e51",
         "key GAINQUOTA on line 8 has the value \" 70000\", which does not fit its field (-32768 "
         "to 65535)"},
        {"FZERO_DEFAULT= 255.5", "p36e51",
         "key FZERO_DEFAULT on line 8 has the value \" 255.5\", which does not fit its field (0 "
         "to 255)"},
        {"optPE_AUTO_ACCEL= 2.6", "p39e1060",
         "key optPE_AUTO_ACCEL on line 8 has the value \" 2.6\", which does not fit its field (0 "
         "to 255)"},
        {"NUTENTI= 40", "p36e51",
         "key NUTENTI on line 8 has the value \" 40\", which is not a number of operators (0 to "
         "16)"},
        {"OPZIONISTR_L= 256", "p36e51",
         "key OPZIONISTR_L on line 8 has the value \" 256\", which does not fit its field (0 to "
         "255)"},
    };
    for (const Case& c : cases) {
        InstrumentRig rig(c.profile);
        ASSERT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
        auto lines = header(rig.control.Estensioni(), rig.control.Protocollo());
        lines.insert(lines.begin() + 6, "UMFORZA= 2");  // line 7, a good key before the bad one
        lines.insert(lines.begin() + 7, c.line);
        if (std::string(c.line).rfind("OPZIONISTR", 0) == 0)
            lines.erase(lines.begin() + 4);  // a type-1 file
        const std::string file = writeFile("bad.ini", lines);
        const backup::Result r = restore(rig, file, true, true, true);
        EXPECT_EQ(r.outcome, backup::Outcome::FileError) << c.line;
        EXPECT_EQ(r.exitCode(), 4);
        const std::string line = std::string(c.line).rfind("OPZIONISTR", 0) == 0 ? "7" : "8";
        std::string expected = file + " was refused: " + c.text + ".\nNothing was written.";
        if (line == "7") expected.replace(expected.find("line 8"), 6, "line 7");
        EXPECT_EQ(r.message, expected);
        EXPECT_TRUE(writes(rig).empty()) << c.line;
    }
}

// Integer keys take fractions as the store's integer readers do: rounded to the nearest
// integer, halves to the even one.
TEST_F(BackupTest, FractionsInIntegerKeysAreRoundedHalvesToEven) {
    struct Case {
        const char* line;
        std::int32_t address;
        int written;
    };
    const Case cases[] = {
        {"FZERO_DEFAULT= 12.6", 284, 13}, {"FZERO_DEFAULT= 12.5", 284, 12},
        {"FZERO_DEFAULT= 13.5", 284, 14}, {"TIMESTOP= 254.4", 53, 254},
        {"VITAUTENSILE= 2.5", 302, 2},    {"NUTENTI= 0.4", -1, 0},
    };
    for (const Case& c : cases) {
        InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        auto lines = header(rig.control.Estensioni(), rig.control.Protocollo());
        lines.push_back(c.line);
        ASSERT_TRUE(restoreFrom(rig, writeFile("fraction.ini", lines), false, true, false))
            << c.line;
        if (c.address >= 0) {
            EXPECT_EQ(rig.instrument.nvram()[static_cast<std::size_t>(c.address)], c.written)
                << c.line;
        }
    }
}

TEST_F(BackupTest, DeformationCoefficientsConvertOnlyBetweenUnits) {
    struct Case {
        const char* key;
        int value;
        const char* profile;
        std::int32_t address;
        int written;
    };
    const Case cases[] = {
        {"COEF_DEFO_A", 13, "p36e51", 269, 13},   {"COEF_DEFO_A", 13, "p41e1072", 269, 6},
        {"COEF_DEFOR_HF", 13, "p36e51", 269, 26}, {"COEF_DEFOR_HF", 13, "p41e1072", 269, 13},
        {"COEF_DEFO_LF", 9, "p41e1072", 249, 4},  {"COEF_DEFOR_LF", 9, "p41e1072", 249, 9}};
    for (const Case& c : cases) {
        InstrumentRig rig(c.profile);
        ASSERT_TRUE(rig.openSerial());
        auto lines = header(51);
        lines.push_back(std::string(c.key) + "= " + std::to_string(c.value));
        ASSERT_TRUE(restoreFrom(rig, writeFile("coef.ini", lines), true, false, false));
        EXPECT_EQ(rig.instrument.nvram()[static_cast<std::size_t>(c.address)], c.written)
            << c.key << " -> " << c.profile;
    }
}

}  // namespace

namespace {

// A text shorter than its length byte ends at its first NUL: the padding is not saved, and the
// backup restores into the same instrument.
TEST_F(BackupTest, ATextEndsAtItsFirstNul) {
    InstrumentRig rig("p36e51");
    const std::string padded("AB\0\0\0", 5);
    rig.instrument.nvram()[106] = static_cast<std::uint8_t>(padded.size());
    std::copy(padded.begin(), padded.end(), rig.instrument.nvram().begin() + 107);
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(backupTo(rig, path("nul.ini")));
    EXPECT_NE(fileBytes(path("nul.ini")).find("\r\nNOMESTRUMENTO=AB\r\n"), std::string::npos);
    EXPECT_TRUE(restoreFrom(rig, path("nul.ini"), false, true, false));
    EXPECT_EQ(rig.instrument.nvram()[106], 2);
}

// A name that holds a line break never makes a line of its own in a backup, and a backup text
// with a control character is refused before anything is written.
TEST_F(BackupTest, ControlCharactersNeitherBreakABackupNorGoIntoTheInstrument) {
    InstrumentRig rig("p36e51");
    const std::string injected = "AB\r\nNUTENTI=9";
    rig.instrument.nvram()[106] = static_cast<std::uint8_t>(injected.size());
    std::copy(injected.begin(), injected.end(), rig.instrument.nvram().begin() + 107);
    ASSERT_TRUE(rig.openSerial());
    const std::string file = path("name.ini");
    ASSERT_TRUE(backupTo(rig, file));
    const auto lines = platform::readTextLines(file, platform::FileKind::Backup, nullptr);
    ASSERT_TRUE(lines.has_value());
    EXPECT_NE(std::find(lines->begin(), lines->end(), "NOMESTRUMENTO=AB  NUTENTI=9"), lines->end());
    EXPECT_EQ(std::count_if(lines->begin(), lines->end(),
                            [](const std::string& l) { return l == "NUTENTI=9"; }),
              0);

    struct Case {
        const char* line;
        const char* key;
    };
    const Case cases[] = {{"NOMESTRUMENTO=AB\tC", "NOMESTRUMENTO"},
                          {"NOMEUSCITA1=Stop\x01", "NOMEUSCITA1"}};
    for (const Case& c : cases) {
        InstrumentRig target("p36e51");
        ASSERT_TRUE(target.openSerial());
        target.instrument.clearLog();
        auto header_ = header(target.control.Estensioni(), target.control.Protocollo());
        header_.push_back(c.line);
        const backup::Result r =
            restore(target, writeFile("control.ini", header_), true, true, true);
        EXPECT_EQ(r.outcome, backup::Outcome::FileError) << c.line;
        EXPECT_NE(r.message.find(std::string("key ") + c.key), std::string::npos) << r.message;
        EXPECT_NE(r.message.find("which holds a control character"), std::string::npos)
            << r.message;
        EXPECT_TRUE(writes(target).empty()) << c.line;
    }
}

}  // namespace
