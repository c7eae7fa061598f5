// The INI store, checked against exact file bytes.
#include <tuple>

#include "backup/ini_file.h"
#include "backup_fixture.h"

using backup::IniFile;

namespace {

// A store at "store.ini" in the test's own folder.
class Ini : public backup_testing::BackupTest {
protected:
    std::string store() const { return path("store.ini"); }
    void write(const std::string& bytes) { std::ofstream(store(), std::ios::binary) << bytes; }
    std::string read() { return backup_testing::fileBytes(store()); }
    static IniFile& at(IniFile& ini, const char* key) {
        ini.Target(key);
        return ini;
    }
    // The store, opened on what "store.ini" holds now.
    IniFile& open(IniFile& ini) {
        ini.File1(store());
        ini.OpenFile1(true);
        EXPECT_TRUE(ini.OpenFile());
        return ini;
    }
    IniFile opened;
};

TEST_F(Ini, WritesEachValueTypeInItsForm) {
    IniFile& ini = open(opened);
    ini.Chiave("STRUMENTO");
    const auto key = [&](const char* k) { ini.Target(k); };
    key("Device"), ini.Value("KRN-Visual"), key("True"), ini.Value(true);
    key("False"), ini.Value(false), key("Five"), ini.Value(std::int16_t{5});
    key("MinusFive"), ini.Value(std::int32_t{-5}), key("Half"), ini.Value(0.5);
    key("MinusHalf"), ini.Value(-0.5), key("Single"), ini.Value(0.1f);
    key("Big"), ini.Value(15000000.0f), key("Double"), ini.Value(1.0 / 3.0);
    key("Tiny"), ini.Value(0.00001), key("Zero"), ini.Value(0.0);
    key("Date"), ini.Value(platform::LocalDateTime{2026, 12, 6, 9, 5, 7, 0});
    ASSERT_TRUE(ini.Salva());
    EXPECT_EQ(
        read(),
        "[STRUMENTO]\r\nDevice=KRN-Visual\r\nTrue= 1\r\nFalse= 0\r\nFive= 5\r\nMinusFive=-5\r\n"
        "Half= .5\r\nMinusHalf=-.5\r\nSingle= .1\r\nBig= 1.5E+07\r\nDouble= .333333333333333\r\n"
        "Tiny= 1E-05\r\nZero= 0\r\nDate=20261206_090507\r\n");
    EXPECT_EQ(std::tuple(ini.Count(), ini.Salvato()), std::tuple(0, true));
}

TEST_F(Ini, ReadsSectionsAndKeysIgnoringCaseButNotBlanksBeforeTheEquals) {
    write("  [Strumento]\r\nKEY= 1\r\nSpaced = 3\r\n[Other]\r\nkey=9\r\n");
    IniFile& ini = open(opened);
    ini.Chiave("STRUMENTO");
    EXPECT_EQ(std::tuple(ini.ChiaveTrovata(), ini.Chiave()), std::tuple(true, "STRUMENTO"));
    ini.Target("key");
    EXPECT_EQ(std::tuple(ini.TargetTrovato(), ini.ValString(), ini.ValBoolean()),
              std::tuple(true, " 1", true));
    ini.Target("Spaced");
    EXPECT_EQ(std::tuple(ini.TargetTrovato(), ini.ValString(), ini.ValueRead().has_value()),
              std::tuple(false, "", false));
    ini.Chiave("other");
    EXPECT_EQ(at(ini, "KEY").ValLong(), 9);
    ini.Chiave("Missing");
    EXPECT_EQ(std::tuple(ini.ChiaveTrovata(), ini.Chiave()), std::tuple(false, ""));
}

TEST_F(Ini, InsertsMissingKeysWhereTheyBelong) {
    write("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    IniFile& ini = open(opened);
    ini.Chiave("A"), at(ini, "z").Value(std::int16_t{3});  // before [B], after [A]'s blank line
    ini.Chiave("C"), at(ini, "w").Value("new");            // a new section at the end
    ini.Chiave("A"), at(ini, "x").Value(std::int16_t{7});  // overwritten in place
    ASSERT_TRUE(ini.Salva());
    EXPECT_EQ(read(), "[A]\r\nx= 7\r\n\r\nz= 3\r\n[B]\r\ny=2\r\n[C]\r\nw=new\r\n");
}

TEST_F(Ini, KeySearchIsCircularAndStopsAtTheStopPrefix) {
    write("[S]\r\na=1\r\nb=2\r\nSTOP here\r\nc=3\r\na=4\r\n");
    IniFile& ini = open(opened);
    ini.Chiave("S");
    // "a" is found behind the last key (the second "a"), then round again (the first).
    std::vector<int> found;
    for (const char* k : {"b", "a", "a"}) ini.Target(k), found.push_back(ini.Index());
    EXPECT_EQ(found, (std::vector<int>{3, 6, 2}));
    ini.StopTarget("stop");
    ini.Target("c");  // the stop line comes first
    EXPECT_EQ(std::tuple(ini.TargetTrovato(), ini.Index()), std::tuple(false, 2));
    ini.StopTarget("");
    EXPECT_EQ(at(ini, "c").ValInteger(), 3);
    // Nothing is written before a key was searched.
    ini.Chiave("S"), ini.Value("lost");
    EXPECT_TRUE(ini.Salvato());
}

TEST_F(Ini, LenientNumbersDatesAndScrambledTexts) {
    const std::pair<const char*, double> cases[] = {
        {" 12.5", 12.5},  {"-3", -3}, {"1 000", 1000}, {"&HFF", 255}, {"&o17", 15},
        {"2.5E3x", 2500}, {"abc", 0}, {"", 0},         {".5", 0.5},   {"7,5", 7}};
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(IniFile::parseNumber(text), value) << text;

    write("[S]\r\nh=2.5\r\nt=3.5\r\nbig=99999999999\r\nd=20261206_090507\r\nserial=46000.5\r\n");
    IniFile& ini = open(opened);
    ini.Chiave("S");
    // Halves to even; a number that does not fit reads 0.
    EXPECT_EQ(
        std::tuple(at(ini, "h").ValLong(), at(ini, "t").ValInteger(), at(ini, "big").ValLong()),
        std::tuple(2, 4, 0));
    EXPECT_EQ(at(ini, "d").ValData(), (platform::LocalDateTime{2026, 12, 6, 9, 5, 7, 0}));
    const platform::LocalDateTime serial = at(ini, "serial").ValData();
    EXPECT_EQ(std::tuple(serial.year, serial.hour), std::tuple(2025, 12));

    // 'A' ^ 0x5A = 1B, '1' ^ 0x5A = 6B, 0x0B ^ 0x5A = 51; 'A' ^ 0x41 = 00 -> "K0", 03 -> "K3".
    at(ini, "pw").ValuePassword(0x5A, "A1\x0b");
    at(ini, "pw1").ValuePassword(0x41, "AB");
    ini.Target("pw");
    EXPECT_EQ(std::tuple(ini.ValString(), ini.ValPassword(0x5A)), std::tuple("1B6B51", "A1\x0b"));
    ini.Target("pw1");
    EXPECT_EQ(std::tuple(ini.ValString(), ini.ValPassword(0x41)), std::tuple("K0K3", "AB"));
}

TEST_F(Ini, PointsAndMovingASectionToTheTop) {
    IniFile& ini = open(opened);
    ini.Chiave("First"), at(ini, "k").Value(std::int16_t{1});
    ini.Chiave("Band"), at(ini, "points").Value(std::int16_t{2});
    ini.LetPunto(1.5f, -2.0f), ini.LetPunto(3.0f, 4.25f);
    ini.Chiave("Band"), ini.Target("points");
    std::vector<std::pair<float, float>> points;
    for (float x = 0, y = 0; ini.GetPunto(x, y);) points.emplace_back(x, y);
    EXPECT_EQ(points, (std::vector<std::pair<float, float>>{{1.5f, -2.0f}, {3.0f, 4.25f}}));
    ini.Chiave("Band");
    ini.RinfrescaChiave();
    ASSERT_TRUE(ini.Salva());
    EXPECT_EQ(read(), "[Band]\r\npoints= 2\r\n1.5,-2\r\n3,4.25\r\n[First]\r\nk= 1\r\n");
}

TEST_F(Ini, LoadingLimitsSavingAndErrors) {
    {
        std::ofstream out(store(), std::ios::binary);
        for (int i = 0; i < 200000; ++i) out << "k" << i << "=" << i << "\r\n";
    }
    IniFile& big = open(opened);
    EXPECT_EQ(big.Count(), 120001);
    EXPECT_TRUE(big.Salva());  // nothing changed: not rewritten
    EXPECT_EQ(std::filesystem::file_size(store()), read().size());

    // An empty buffer is not written.
    IniFile empty;
    empty.File1((dir / "new.ini").string());
    empty.OpenFile1(true);
    EXPECT_TRUE(empty.OpenFile());
    EXPECT_FALSE(std::filesystem::exists(dir / "new.ini"));  // the path was only tried
    empty.Chiave("S"), at(empty, "k").Value(true);
    empty.Svuota();
    EXPECT_TRUE(empty.Salva());
    EXPECT_FALSE(std::filesystem::exists(dir / "new.ini"));

    IniFile nowhere;
    nowhere.File1((dir / "no" / "such" / "dir.ini").string());
    nowhere.OpenFile1(true);
    EXPECT_EQ(std::tuple(nowhere.OpenFile(), nowhere.ERRORE(), nowhere.Esiste()),
              std::tuple(false, 52, false));
    IniFile unnamed;
    EXPECT_FALSE(unnamed.Salva());
}

}  // namespace
