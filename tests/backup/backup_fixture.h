#pragma once
// What the backup tests share: a scratch folder per test, files written line by line or read as
// bytes, instruments of any level, and the writes an instrument received.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/backup_procedure.h"
#include "backup/restore_procedure.h"
#include "instrument/identification.h"
#include "platform/text_file.h"
#include "support/instrument_rig.h"

namespace backup_testing {

using backup::IniFile;
using testing_support::InstrumentRig;

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The lines of a file given in one text, separated by ";".
inline std::vector<std::string> fileLines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t to = std::min(text.find(';', from), text.size());
        out.push_back(text.substr(from, to - from));
        from = to + 1;
    }
    return out;
}

// A p36e51 instrument that reports another protocol and level, with the NVRAM format its
// firmware expects.
inline sim::Profile level(int protocol, int e) {
    sim::Profile p = *sim::findProfile("p36e51");
    p.protocol = static_cast<std::uint8_t>(protocol);
    p.extensionByte = static_cast<std::uint8_t>(e >= 1000 ? e - 1000 : e);
    p.formatNumber = static_cast<std::uint8_t>(instrument::formatoNVRAM(
        static_cast<std::int16_t>(protocol), static_cast<std::int16_t>(e), false));
    return p;
}

// The NVRAM writes the instrument received (byte and block writes).
inline std::vector<int> writes(const InstrumentRig& rig) {
    std::vector<int> w;
    for (int c : rig.commands())
        if (c == 14 || c == 40) w.push_back(c);
    return w;
}

// The head of a backup file of an instrument of level `e`, before its settings.
inline std::vector<std::string> header(int e, int protocol = 36) {
    return fileLines("[STRUMENTO];Device=KRN-Visual;Protocollo= " + std::to_string(protocol) +
                     ";Estensioni= " + std::to_string(e) + ";TipoFile= 2;NumeroMisure= 1");
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("krn_bk_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    bool backupTo(InstrumentRig& rig, const std::string& file) {
        IniFile ini;
        ini.File1(file);
        ini.OpenFile1(true);
        const bool ok = backup::EseguiBackup(rig.control, ini).ok();
        ini.Salva();
        return ok;
    }
    std::string writeFile(const std::string& name, const std::vector<std::string>& lines) {
        const std::string p = path(name);
        platform::writeTextLines(p, lines);
        return p;
    }
    backup::Result restore(InstrumentRig& rig, const std::string& file, bool a, bool b, bool c) {
        IniFile ini;
        if (auto error = backup::openBackupFile(ini, file)) return *error;
        return backup::EseguiRipristino(rig.control, ini, a, b, c);
    }
    // The text as the backup scrambles it with key k.
    std::string scrambled(std::int16_t k, const std::string& text) {
        IniFile s;
        s.Carica("");
        s.Chiave("S");
        s.Target("k");
        s.ValuePassword(k, text);
        return s.ValString();
    }
    std::filesystem::path dir;
};

}  // namespace backup_testing
