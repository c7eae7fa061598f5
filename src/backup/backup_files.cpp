#include "backup/backup_files.h"

#include "backup/backup_procedure.h"
#include "backup/restore_procedure.h"
#include "platform/files.h"

namespace backup {
namespace {

Result cannot(const char* what, const std::string& path, const std::string& why) {
    return fileError("Cannot " + std::string(what) + " " + path + ": " + why + ".");
}

}  // namespace

Result backupToFile(instrument::UCKRNVisual& control, const std::string& path) {
    if (const auto refused = platform::refusedTarget(path))
        return cannot("write", path, refused->reason);
    // A fresh store named after the target: saving writes it beside the target and renames it
    // into place (platform/files.h).
    IniFile ini;
    ini.File1(path);
    ini.Carica("");
    Result r = EseguiBackup(control, ini);
    if (!r) return r;
    if (!ini.Salva()) return cannot("write", path, ini.MotivoErrore());
    return done("The backup was written to " + path + ".");
}

std::optional<Result> openBackupFile(IniFile& ini, const std::string& path) {
    if (platform::pathKind(path) == platform::PathKind::Missing)
        return cannot("read", path, "it does not exist");
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
