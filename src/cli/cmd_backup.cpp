// krnctl backup, restore, backup diff: the configuration backup file.
#include <iostream>
#include <memory>

#include "backup/backup_diff.h"
#include "backup/backup_files.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/progress.h"

namespace cli {
namespace {

struct RestoreOptions {
    std::string file;
    bool calibration = false, config = false, cylinder = false;
};

// The restore's progress on the terminal bar; krnctl never asks to stop.
class BarProgress final : public platform::Progress {
public:
    explicit BarProgress(TerminalProgress& bar) : bar_(bar) {}
    void start(long total) override { total_ = total; }
    bool update(long done) override {
        bar_.show(done, total_);
        return true;
    }
    void stop(bool) override {}

private:
    TerminalProgress& bar_;
    long total_ = 100;
};

// The procedure's own text, and its exit code.
int failed(Context& ctx, const backup::Result& r) {
    ctx.message(r.message);
    return r.exitCode();
}

int runBackup(Context& ctx, const std::string& file) {
    Session session(ctx);
    if (int rc = session.open(false); rc != kDone) return rc;
    auto& c = ctx.instrument();
    const backup::Result r = backup::backupToFile(c, file);
    if (!r) return failed(ctx, r);
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
    if (auto error = backup::openBackupFile(ini, o.file)) return failed(ctx, *error);
    const backup::RestoreGroups groups{o.calibration, o.config, o.cylinder};
    const auto answer = ctx.dialogs().message({"Restore " + backup::groupNames(groups) + " from " + o.file +
                                                   " into the instrument?",
                                               "", platform::MessageIcon::Question, platform::MessageButtons::YesNo, 1});
    if (answer != platform::MessageResult::Yes) return kRefused;
    Session session(ctx);
    if (int rc = session.open(true); rc != kDone) return rc;
    TerminalProgress bar(ctx.showProgress(), "Restoring");
    BarProgress progress(bar);
    const backup::Result r = backup::restoreFromFile(ctx.instrument(), ini, groups, progress);
    if (!r) return failed(ctx, r);
    if (ctx.options().json)
        std::cout << Json::object().add("File", o.file).add("restored", true).str() << "\n";
    else
        std::cout << r.message << "\n";
    return kDone;
}

int runDiff(Context& ctx, const std::string& a, const std::string& b) {
    const backup::BackupComparison comparison = backup::diffBackups(a, b);
    if (!comparison.result) return failed(ctx, comparison.result);
    const auto* diff = &comparison.differences;
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
