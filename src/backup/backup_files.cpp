#include "backup/backup_files.h"

#include <filesystem>
#include <system_error>

#include "backup/backup_procedure.h"
#include "backup/restore_procedure.h"

namespace backup {
namespace {

Result cannot(const char* what, const std::string& path, const std::string& why) {
    return fileError("Cannot " + std::string(what) + " " + path + ": " + why + ".");
}

}  // namespace

Result backupToFile(instrument::UCKRNVisual& control, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return cannot("write", path, "it is a folder");
    const std::string part = path + ".part";
    fs::remove(part, ec);
    IniFile ini;
    ini.File1(part);
    ini.OpenFile1(true);
    if (!ini.OpenFile()) return cannot("write", path, ini.MotivoErrore());
    Result r = EseguiBackup(control, ini);
    if (!r) return r;
    if (!ini.Salva()) {
        fs::remove(part, ec);
        return cannot("write", path, ini.MotivoErrore());
    }
    fs::rename(part, path, ec);
    if (ec) {
        fs::remove(part, ec);
        return cannot("write", path, "it cannot be replaced");
    }
    return done("The backup was written to " + path + ".");
}

std::optional<Result> openBackupFile(IniFile& ini, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return cannot("read", path, "it does not exist");
    ini.File1(path);
    ini.OpenFile1(true);
    if (!ini.OpenFile()) return cannot("read", path, ini.MotivoErrore());
    return std::nullopt;
}

std::string groupNames(const RestoreGroups& g) {
    std::string names;
    for (const auto& [on, name] :
         {std::pair{g.taratura, "calibration"}, std::pair{g.configStrumento, "configuration"},
          std::pair{g.configCilindro, "press limits"}})
        if (on) names += (names.empty() ? "" : ", ") + std::string(name);
    return names;
}

Result restoreFromFile(instrument::UCKRNVisual& control, IniFile& ini, const RestoreGroups& groups,
                       platform::Progress& progress) {
    Result r = EseguiRipristino(control, ini, groups.taratura, groups.configStrumento,
                                groups.configCilindro, progress);
    if (r)
        r.message = "Restored " + groupNames(groups) + " from " + ini.File() +
                    "; restart the instrument to apply it.";
    return r;
}

}  // namespace backup
