#include "service/fleet/fleet_record.h"

#include <filesystem>
#include <set>

#include "backup/ini_file.h"
#include "platform/text_file.h"
#include "service/fleet/fleet_layout.h"

namespace service::fleet {
namespace {

void put(backup::IniFile& ini, const char* key, const std::string& value) {
    ini.Target(key);
    ini.Value(value);
}

std::string get(backup::IniFile& ini, const char* key) {
    ini.Target(key);
    return ini.TargetTrovato() ? ini.ValString() : std::string();
}

// The first line of a failure's messages, which the index keeps.
std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::vector<std::string> indexFiles(const std::string& dir) {
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(joinPath(dir, kIndexFolder), ec), end;
         !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && it->path().extension() == kBackupExtension)
            files.push_back(it->path().string());
    return files;
}

// The instruments the indexes name (their sections), with or without a folder: one that has
// never been saved has none, and git keeps no empty folder for the other stations anyway.
std::set<std::string> indexedKeys(const std::vector<std::string>& files) {
    std::set<std::string> keys;
    for (const std::string& f : files)
        for (const std::string& line : platform::readTextLines(f, platform::FileKind::Backup)
                                           .value_or(std::vector<std::string>{}))
            if (line.size() > 2 && line.front() == '[' && line.back() == ']')
                keys.insert(line.substr(1, line.size() - 2));
    return keys;
}

// The name, description and last attempt of key from the index that tried it last.
void fromIndexes(const std::vector<std::string>& files, InstrumentStatus& s) {
    for (const std::string& f : files) {
        backup::IniFile ini;
        ini.File1(f);
        ini.OpenFile1(true);
        if (!ini.OpenFile()) continue;
        ini.Chiave(s.key);
        if (!ini.ChiaveTrovata()) continue;
        const std::string attempt = get(ini, "LastAttempt");
        if (attempt < s.lastAttempt) continue;
        s.lastAttempt = attempt;
        s.lastResult = get(ini, "LastResult");
        if (const std::string name = get(ini, "Name"); !name.empty()) s.name = name;
        s.description = get(ini, "Description");
    }
}

// The newest backup that differs from the one before it.
std::string lastChange(const std::string& dir, const std::string& key,
                       const std::vector<std::string>& files) {
    for (std::size_t i = files.size(); i-- > 1;) {
        const auto c = backup::diffBackups(joinPath(joinPath(dir, key), files[i - 1]),
                                           joinPath(joinPath(dir, key), files[i]));
        if (!c.result || !c.differences.empty()) return stampOfFile(files[i]);
    }
    return files.empty() ? std::string() : stampOfFile(files.front());
}

}  // namespace

std::string indexFile(const std::string& station) {
    return std::string(kIndexFolder) + "/" + station + kBackupExtension;
}

bool recordRun(const std::string& dir, const std::string& station, const std::string& stamp,
               const std::vector<MemberResult>& results, std::string& why) {
    const std::string path = joinPath(dir, indexFile(station));
    if (!makeFolder(joinPath(dir, kIndexFolder))) {
        why = "The folder " + joinPath(dir, kIndexFolder) + " cannot be created.";
        return false;
    }
    backup::IniFile ini;
    ini.File1(path);
    ini.OpenFile1(true);
    if (!ini.OpenFile()) {
        why = "The index " + path + " cannot be read: " + ini.MotivoErrore() + ".";
        return false;
    }
    for (const MemberResult& r : results) {
        if (!r.started) continue;
        ini.Chiave(r.member.key);
        const std::string name = r.saved ? r.name : r.member.name;
        if (!name.empty()) put(ini, "Name", name);
        put(ini, "Description", r.member.description);
        put(ini, "LastAttempt", stamp);
        put(ini, "LastResult", r.saved ? "saved" : "failed: " + firstLine(r.why));
        if (r.saved) put(ini, "LastBackup", stampOfFile(r.file.substr(r.file.rfind('/') + 1)));
    }
    if (!ini.Salva()) {
        why = "The index " + path + " cannot be written: " + ini.MotivoErrore() + ".";
        return false;
    }
    return true;
}

std::vector<InstrumentStatus> fleetStatus(const std::string& dir) {
    const std::vector<std::string> indexes = indexFiles(dir);
    std::set<std::string> keys = indexedKeys(indexes);
    for (const std::string& key : instrumentKeys(dir)) keys.insert(key);
    std::vector<InstrumentStatus> list;
    for (const std::string& key : keys) {
        InstrumentStatus s;
        s.key = key;
        const std::vector<std::string> files = backupsOf(dir, key);
        s.backups = static_cast<int>(files.size());
        if (!files.empty()) s.lastBackup = stampOfFile(files.back());
        s.lastChange = lastChange(dir, key, files);
        fromIndexes(indexes, s);
        list.push_back(std::move(s));
    }
    return list;
}

}  // namespace service::fleet
