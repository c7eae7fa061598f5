// The backup file flows: fresh files, refusals with their texts and exit codes, files that
// cannot be read, the comparison, progress and cancel, and numbers whatever the locale.
#include <clocale>
#include <locale>
#include <tuple>

#include "backup/backup_diff.h"
#include "backup_fixture.h"

using namespace backup_testing;

namespace {

// Each profile's backup replaces an older file with other keys by exactly its golden file.
TEST_F(BackupTest, BackupWritesAFreshFileOrLeavesTheOldOne) {
    for (const char* profile : {"p17e23", "p36e51", "p39e1060", "p41e1072"}) {
        const std::string target =
            writeFile(profile, {"[STRUMENTO]", "Device=KRN-Visual", "optPE_STEPS= 400",
                                "HOST_NAME=other", "[EXTRA]", "x=1"});
        InstrumentRig rig(profile);
        ASSERT_TRUE(rig.openSerial());
        EXPECT_EQ(backup::backupToFile(rig.control, target).message,
                  "The backup was written to " + target + ".");
        EXPECT_EQ(fileBytes(target),
                  fileBytes(std::string(KRN_GOLDEN_DIR) + "/" + profile + ".ini"))
            << profile;
    }
    // A backup that fails half way leaves the previous file as it was, and no part file.
    const std::string target = path("p36e51"), previous = fileBytes(target);
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer, 0, {}, 20});
    rig.instrument.addFault({sim::Fault::Kind::NoAnswer, 0, {}, 20});
    const backup::Result failed = backup::backupToFile(rig.control, target);
    EXPECT_EQ(std::tuple(failed.outcome, failed.exitCode(), failed.message),
              std::tuple(backup::Outcome::CommunicationFailed, 1,
                         "Communication error\nthe backup was not saved"));
    EXPECT_EQ(fileBytes(target), previous);
    EXPECT_FALSE(std::filesystem::exists(target + ".part"));
}

TEST_F(BackupTest, UnusableInstrumentsAreRefusedBeforeAnyWrite) {
    const std::pair<const char*, const char*> cases[] = {
        {"unformatted", "The instrument's memory is not formatted (its signature is missing)."},
        {"wrongformat",
         "The instrument's memory has another format number than its firmware expects."},
        {"loader", "The instrument is in update mode (it runs its firmware loader)."}};
    InstrumentRig source("p36e51");
    ASSERT_TRUE(source.openSerial());
    const std::string good = path("good.ini");
    ASSERT_TRUE(backup::backupToFile(source.control, good));
    for (const auto& [profile, why] : cases) {
        SCOPED_TRACE(profile);
        InstrumentRig rig(profile);
        ASSERT_TRUE(rig.openSerial());
        const backup::Result b = backup::backupToFile(rig.control, path("none.ini"));
        EXPECT_EQ(
            std::tuple(b.outcome, b.exitCode(), b.message),
            std::tuple(backup::Outcome::Refused, 3, why + std::string("\nNothing was backed up.")));
        EXPECT_FALSE(std::filesystem::exists(path("none.ini")));
        rig.instrument.clearLog();
        const backup::Result r = restore(rig, good, true, true, true);
        EXPECT_EQ(std::tuple(r.exitCode(), r.message),
                  std::tuple(3, why + std::string("\nNothing was written.")));
        EXPECT_TRUE(writes(rig).empty());
    }
}

// Refused files say what was refused and that nothing was written; krnctl prints this text and
// exits 3 (another device or measure count) or 4 (malformed).
TEST_F(BackupTest, RefusedFilesSayWhyAndThatNothingWasWritten) {
    const std::string head = "[STRUMENTO];Device=KRN-Visual;Protocollo= 36;";
    using Case = std::tuple<std::string, int, std::string>;  // file, exit code, why
    const Case cases[] = {
        {"[OTHER];Device=KRN-Visual", 4, "it has no section [STRUMENTO]."},
        {"[STRUMENTO];Protocollo= 36", 4, "it has no key Device."},
        {"[STRUMENTO];Device=KRN-Visual;Estensioni= 51;NumeroMisure= 1", 4,
         "it has no key Protocollo."},
        {"[STRUMENTO];Device=Press;Protocollo= 36", 3,
         "it is the backup of another device (\"Press\")."},
        {head + "Estensioni= 51", 4, "it has no key NumeroMisure."},
        {head + "Estensioni=x;NumeroMisure= 1", 4,
         "key Estensioni on line 4 is not a firmware level."},
        {head + "Estensioni= 51;NumeroMisure= 2", 3,
         "it holds NumeroMisure= 2; only files with one measure can be restored."},
    };
    for (const auto& [text, exitCode, why] : cases) {
        SCOPED_TRACE(why);
        InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
        const std::string file = writeFile("refused.ini", fileLines(text));
        const backup::Result r = restore(rig, file, true, true, true);
        EXPECT_EQ(std::tuple(r.exitCode(), r.message),
                  std::tuple(exitCode, file + " was refused: " + why + "\nNothing was written."));
        EXPECT_TRUE(writes(rig).empty());
    }
}

// (Devices, FIFOs, huge files and garbage given to krnctl: e2e/test_hostile_files.cpp.)
TEST_F(BackupTest, FilesThatCannotBeReadAreFileErrors) {
    const std::pair<std::string, const char*> cases[] = {
        {dir.string(), "it is a folder, not a file"}, {path("missing.ini"), "it does not exist"}};
    for (const auto& [file, why] : cases) {
        SCOPED_TRACE(file);
        IniFile ini;
        const auto error = backup::openBackupFile(ini, file);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(std::tuple(error->exitCode(), error->message),
                  std::tuple(4, "Cannot read " + file + ": " + why + "."));
        EXPECT_EQ(std::tuple(ini.OpenFile(), ini.ERRORE(), ini.Esiste()),
                  std::tuple(false, file == dir.string() ? IniFile::kErroreApertura : 0, false));
        EXPECT_EQ(backup::diffBackups(file, file).result.exitCode(), 4);
    }
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    const backup::Result r = backup::backupToFile(rig.control, dir.string());
    EXPECT_EQ(std::tuple(r.exitCode(), r.message),
              std::tuple(4, "Cannot write " + dir.string() +
                                ": it is a folder, not a file; nothing was written."));
}

TEST_F(BackupTest, DiffOfLargeFilesListsEveryDifferenceInOrder) {
    std::vector<std::string> a = {"[STRUMENTO]"}, b = {"[strumento]"};
    for (int i = 0; i < 100000; ++i) {
        a.push_back("K" + std::to_string(i) + "= " + std::to_string(i));
        b.push_back("K" + std::to_string(i) + "= " + std::to_string(i % 1000 == 0 ? -i : i));
    }
    a.push_back("K5= 99");  // a repeated key: the first one counts
    b.push_back("ONLYB=1");
    const backup::BackupComparison diff =
        backup::diffBackups(writeFile("a.ini", a), writeFile("b.ini", b));
    ASSERT_TRUE(diff.result);
    ASSERT_EQ(diff.differences.size(), 100u);  // K1000, K2000, ... K99000 and ONLYB
    const auto &first = diff.differences[0], &last = diff.differences.back();
    EXPECT_EQ(std::tuple(first.key, first.second.value_or(""), last.key, last.first.has_value()),
              std::tuple("K1000", " -1000", "ONLYB", false));
}

struct Recorder final : platform::Progress {
    void start(long total) override { events.push_back("start " + std::to_string(total)); }
    bool update(long done) override {
        if (events.empty() || events.back() != std::to_string(done))
            events.push_back(std::to_string(done));
        return ++updates != stopAt;
    }
    void stop(bool ok) override { events.push_back(ok ? "stop ok" : "stop failed"); }
    std::vector<std::string> events;
    int stopAt = -1, updates = 0;
};

TEST_F(BackupTest, RestoreReportsProgressAndStopsWhenAsked) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    const std::string file = path("p.ini");
    ASSERT_TRUE(backup::backupToFile(rig.control, file));
    IniFile ini;
    ASSERT_FALSE(backup::openBackupFile(ini, file).has_value());
    Recorder all;
    ASSERT_TRUE(backup::restoreFromFile(rig.control, ini, {true, true, false}, all));
    EXPECT_EQ(all.events, (std::vector<std::string>{"start 100", "0", "20", "60", "70", "80", "100",
                                                    "stop ok"}));

    rig.instrument.clearLog();
    Recorder stopping;
    stopping.stopAt = 5;  // the fifth check answers stop: four writes were made
    const backup::Result r =
        backup::restoreFromFile(rig.control, ini, {true, true, false}, stopping);
    EXPECT_EQ(std::tuple(r.outcome, r.exitCode(), r.message),
              std::tuple(backup::Outcome::Cancelled, 3,
                         "Restore cancelled after 4 writes: the instrument keeps what was written; "
                         "restart it and check its configuration."));
    EXPECT_EQ(stopping.events.back(), "stop failed");
    EXPECT_EQ(writes(rig).size(), 4u + 2u);  // word writes are two byte writes
}

// Numbers in the file are "." decimals whatever the user's locale (C++ and, where the machine
// has one, C library locale with a comma): formatted, read, and through a backup and a restore.
TEST_F(BackupTest, NumbersIgnoreACommaLocale) {
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new Comma));
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "it_IT.UTF-8");
    EXPECT_EQ(std::tuple(IniFile::formatNumber(1.5, 7), IniFile::formatNumber(-0.25, 15),
                         IniFile::parseNumber("1.5"), IniFile::parseNumber("2,5"),
                         instrument::versionText(3.12f)),
              std::tuple(" 1.5", "-.25", 1.5, 2.0, "3.12"));
    InstrumentRig rig("p39e1060");
    rig.instrument.nvram()[484] = 150;  // optPE_AUTO_ACCEL 1.5
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(backup::backupToFile(rig.control, path("locale.ini")));
    const std::string text = fileBytes(path("locale.ini"));
    EXPECT_NE(text.find("\r\nVersione=3.12\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\noptPE_AUTO_ACCEL= 1.5\r\n"), std::string::npos);
    rig.instrument.nvram()[484] = 0;
    IniFile ini;
    ASSERT_FALSE(backup::openBackupFile(ini, path("locale.ini")).has_value());
    EXPECT_TRUE(backup::EseguiRipristino(rig.control, ini, false, true, false));
    EXPECT_EQ(rig.instrument.nvram()[484], 150);
    std::setlocale(LC_ALL, before.c_str());
    std::locale::global(previous);
}

}  // namespace
