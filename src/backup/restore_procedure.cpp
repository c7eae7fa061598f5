#include "backup/restore_procedure.h"

#include "backup/backup_keys.h"
#include "backup/instrument_state.h"

namespace backup {
namespace {

const char* kNothingWritten = "Nothing was written.";

// The file's identity: section, Device, Protocollo, Estensioni, NumeroMisure. F is the level of
// the file's instrument, T the file type.
std::optional<Result> refuseFile(IniFile& file, int& F, int& T) {
    auto malformed = [&](const std::string& key) {
        Result r = fileError(refusedFile(file, "it has no key " + key + ".\n" + kNothingWritten));
        r.key = key;
        return r;
    };
    file.Chiave(kSection);
    if (!file.ChiaveTrovata())
        return fileError(refusedFile(
            file, "it has no section [" + std::string(kSection) + "].\n" + kNothingWritten));
    file.Target("Device");
    if (!file.TargetTrovato()) return malformed("Device");
    if (file.ValString() != kDevice)
        return refused(refusedFile(file, "it is the backup of another device (\"" +
                                             file.ValString() + "\").\n" + kNothingWritten));
    file.Target("Protocollo");
    if (!file.TargetTrovato()) return malformed("Protocollo");
    file.Target("Estensioni");
    if (!file.TargetTrovato()) return malformed("Estensioni");
    auto level = IniFile::parseWholeNumber(file.ValString());
    if (!level || *level < -32768 || *level > 32767) {
        Result r =
            fileError(refusedFile(file, "key Estensioni on line " + std::to_string(file.Index()) +
                                            " is not a firmware level.\n" + kNothingWritten));
        r.key = "Estensioni";
        r.line = file.Index();
        return r;
    }
    F = static_cast<int>(*level);
    file.Target("NumeroMisure");
    if (!file.TargetTrovato()) return malformed("NumeroMisure");
    if (file.ValInteger() != 1 || !IniFile::parseWholeNumber(file.ValString()))
        return refused(refusedFile(file, "it holds NumeroMisure=" + file.ValString() +
                                             "; only files with one measure can be restored.\n" +
                                             kNothingWritten));
    file.Target("TipoFile");
    T = file.TargetTrovato() ? file.ValInteger() : 1;
    return std::nullopt;
}

}  // namespace

std::optional<Result> checkBackupFile(IniFile& file) {
    int F = 0, T = 1;
    return refuseFile(file, F, T);
}

bool SupportoRipristino(const instrument::UCKRNVisual& control) {
    return inTable(restoreTable(), control.Protocollo(), control.Estensioni());
}

Result EseguiRipristino(instrument::UCKRNVisual& control, IniFile& file, bool taratura,
                        bool configStrumento, bool configCilindro) {
    platform::NoProgress none;
    return EseguiRipristino(control, file, taratura, configStrumento, configCilindro, none);
}

Result EseguiRipristino(instrument::UCKRNVisual& control, IniFile& file, bool taratura,
                        bool configStrumento, bool configCilindro, platform::Progress& progress) {
    if (!file.OpenFile())
        return fileError("The backup file is not open.\n" + std::string(kNothingWritten));
    if (auto refusal = refuseInstrument(control, SupportoRipristino(control), kNothingWritten))
        return *refusal;
    int F = 0, T = 1;
    if (auto refusal = refuseFile(file, F, T)) return *refusal;
    RestorePlan plan =
        planRestore(control, file, F, T, {taratura, configStrumento, configCilindro});
    if (plan.refusal) return *plan.refusal;

    progress.start(100);
    long percent = 0;
    int writes = 0;
    for (const RestoreStep& step : plan.steps) {
        if (step.progress >= 0) percent = step.progress;
        if (!progress.update(percent)) {
            progress.stop(false);
            return cancelled("Restore cancelled after " + std::to_string(writes) +
                             " writes: the instrument keeps what was written; restart it and check "
                             "its configuration.");
        }
        if (step.progress >= 0) continue;
        if (!step.run()) {
            progress.stop(false);
            return communicationFailed(
                "Communication error\nthe restore stopped after " + std::to_string(writes) +
                " writes; restart the instrument and check its configuration.");
        }
        ++writes;
    }
    progress.stop(true);
    return done();
}

}  // namespace backup
