// krnctl backup, restore, backup diff: the configuration backup file.
#include <iostream>
#include <memory>

#include "backup/backup_diff.h"
#include "backup/backup_procedure.h"
#include "backup/restore_procedure.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/progress.h"

namespace cli {
namespace {

struct RestoreOptions {
    std::string file;
    bool calibration = false, config = false, cylinder = false;
};

// The controller's text for an instrument the procedure does not accept.
int notSupported(Context& ctx, const instrument::UCKRNVisual& c) {
    ctx.message("The instrument is not supported.\nType: " + std::to_string(c.Protocollo()) +
                "\nRelease: " + std::to_string(c.Estensioni()));
    return kRefused;
}

int runBackup(Context& ctx, const std::string& file) {
    backup::IniFile ini;
    ini.File1(file);
    ini.OpenFile1(true);
    if (!ini.OpenFile()) {
        ctx.message("krnctl: cannot write " + file);
        return kFileError;
    }
    Session session(ctx);
    if (int rc = session.open(false); rc != kDone) return rc;
    auto& c = ctx.instrument();
    if (!backup::SupportoBackup(c)) return notSupported(ctx, c);
    if (!backup::EseguiBackup(c, ini)) {
        ctx.message("Communication error\nthe backup was not saved");
        return kInstrumentFailed;
    }
    if (!ini.Salva()) {
        ctx.message("krnctl: cannot write " + file);
        return kFileError;
    }
    if (ctx.options().json)
        std::cout << Json::object().add("File", file).add("Protocollo", c.Protocollo()).add("Estensioni", c.Estensioni()).str() << "\n";
    else
        std::cout << "backup of " << c.Nome() << " written to " << file << "\n";
    return kDone;
}

int runRestore(Context& ctx, const RestoreOptions& o) {
    if (!o.calibration && !o.config && !o.cylinder) {
        ctx.message("krnctl: choose what to restore: --calibration, --config and/or --cylinder");
        return kUsage;
    }
    backup::IniFile ini;
    ini.File1(o.file);
    if (!ini.Esiste()) {
        ctx.message("krnctl: cannot read " + o.file);
        return kFileError;
    }
    ini.OpenFile1(true);
    std::string groups;
    for (const auto& [on, name] : {std::pair{o.calibration, "calibration"}, std::pair{o.config, "configuration"},
                                   std::pair{o.cylinder, "press limits"}})
        if (on) groups += (groups.empty() ? "" : ", ") + std::string(name);
    const auto answer = ctx.dialogs().message({"Restore " + groups + " from " + o.file + " into the instrument?", "",
                                               platform::MessageIcon::Question, platform::MessageButtons::YesNo, 1});
    if (answer != platform::MessageResult::Yes) return kRefused;
    Session session(ctx);
    if (int rc = session.open(true); rc != kDone) return rc;
    auto& c = ctx.instrument();
    if (!backup::SupportoRipristino(c)) return notSupported(ctx, c);
    TerminalProgress bar(ctx.showProgress(), "Restoring");
    const bool ok = backup::EseguiRipristino(c, ini, o.calibration, o.config, o.cylinder, &bar);
    if (!ok) {
        ctx.message("Errore.\nthe file was refused or a write failed; restart the instrument and check it");
        return kInstrumentFailed;
    }
    if (ctx.options().json)
        std::cout << Json::object().add("File", o.file).add("restored", true).str() << "\n";
    else
        std::cout << "restored " << groups << " from " << o.file << "; restart the instrument to apply it\n";
    return kDone;
}

int runDiff(Context& ctx, const std::string& a, const std::string& b) {
    auto diff = backup::diffBackups(a, b);
    if (!diff) {
        ctx.message("krnctl: cannot read " + a + " or " + b);
        return kFileError;
    }
    if (ctx.options().json) {
        Json list = Json::array();
        for (const auto& d : *diff) {
            Json item = Json::object().add("Chiave", d.key);
            if (d.first) item.add("Primo", *d.first);
            if (d.second) item.add("Secondo", *d.second);
            list.push(item);
        }
        std::cout << list.str() << "\n";
        return kDone;
    }
    for (const auto& d : *diff)
        std::cout << d.key << ": " << (d.first ? "\"" + *d.first + "\"" : "(missing)") << " -> "
                  << (d.second ? "\"" + *d.second + "\"" : "(missing)") << "\n";
    if (diff->empty()) std::cout << "no differences\n";
    return kDone;
}

}  // namespace

void addBackupCommands(CLI::App& app, std::vector<Command>& commands) {
    auto file = std::make_shared<std::string>();
    auto second = std::make_shared<std::string>();
    CLI::App* bk = app.add_subcommand("backup", "Write the instrument's configuration into a backup file");
    bk->add_option("FILE", *file, "The backup file (an existing one is updated key by key)");
    CLI::App* diff = bk->add_subcommand("diff", "Show the keys that differ between two backup files");
    diff->add_option("A", *file, "First backup file")->required();
    diff->add_option("B", *second, "Second backup file")->required();
    commands.push_back({diff, [=](Context& ctx) { return runDiff(ctx, *file, *second); }});
    commands.push_back({bk, [=](Context& ctx) {
                            if (file->empty()) {
                                ctx.message("krnctl: backup takes a FILE");
                                return static_cast<int>(kUsage);
                            }
                            return runBackup(ctx, *file);
                        }});

    auto r = std::make_shared<RestoreOptions>();
    CLI::App* restore = app.add_subcommand("restore", "Write a backup file into the instrument (asks unless --yes)");
    restore->add_option("FILE", r->file, "The backup file")->required();
    restore->add_flag("--calibration", r->calibration, "Restore the calibration");
    restore->add_flag("--config", r->config, "Restore the instrument configuration");
    restore->add_flag("--cylinder", r->cylinder, "Restore the press limits of an electric press");
    commands.push_back({restore, [r](Context& ctx) { return runRestore(ctx, *r); }});
}

}  // namespace cli
