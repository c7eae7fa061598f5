// krnctl backup, restore, backup diff: the configuration backup file.
#include <iostream>
#include <memory>

#include "backup/backup_diff.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "service/backup/backup_commands.h"
#include "service/core/menu_commands.h"

namespace cli {
namespace {

struct RestoreOptions {
    std::string file;
    bool calibration = false, config = false, cylinder = false;
};

// A flow's outcome as krnctl's exit code; a missing --instrument is a usage error.
int finish(Context& ctx, service::Outcome outcome) {
    return ctx.noInstrument() ? kUsage : exitCode(outcome);
}

int runBackup(Context& ctx, const std::string& file) {
    std::string summary;
    const service::Outcome o = service::runCommand(ctx, [&](service::CommandHost& host) {
        return service::BackupCommand(host, file, summary);
    });
    if (o != service::Outcome::Done) return finish(ctx, o);
    auto& c = ctx.instrument();
    if (ctx.options().json)
        std::cout << Json::object()
                         .add("File", file)
                         .add("Protocollo", c.Protocollo())
                         .add("Estensioni", c.Estensioni())
                         .str()
                  << "\n";
    else
        std::cout << summary << "\n";
    return kDone;
}

int runRestore(Context& ctx, const RestoreOptions& o) {
    if (!o.calibration && !o.config && !o.cylinder) {
        ctx.message("krnctl: choose what to restore: --calibration, --config and/or --cylinder");
        return kUsage;
    }
    const backup::RestoreGroups groups{o.calibration, o.config, o.cylinder};
    std::string summary;
    const service::Outcome outcome = service::runCommand(ctx, [&](service::CommandHost& host) {
        return service::RestoreCommand(host, o.file, groups, summary);
    });
    if (outcome != service::Outcome::Done) return finish(ctx, outcome);
    if (ctx.options().json)
        std::cout << Json::object().add("File", o.file).add("restored", true).str() << "\n";
    else
        std::cout << summary << "\n";
    return kDone;
}

int runDiff(Context& ctx, const std::string& a, const std::string& b) {
    const backup::BackupComparison comparison = backup::diffBackups(a, b);
    if (!comparison.result) {
        ctx.message(comparison.result.message);
        return comparison.result.exitCode();
    }
    const auto& diff = comparison.differences;
    if (ctx.options().json) {
        Json list = Json::array();
        for (const auto& d : diff) {
            Json item = Json::object().add("Chiave", d.key);
            if (d.first) item.add("Primo", *d.first);
            if (d.second) item.add("Secondo", *d.second);
            list.push(item);
        }
        std::cout << list.str() << "\n";
        return kDone;
    }
    for (const auto& d : diff)
        std::cout << d.key << ": " << (d.first ? "\"" + *d.first + "\"" : "(missing)") << " -> "
                  << (d.second ? "\"" + *d.second + "\"" : "(missing)") << "\n";
    if (diff.empty()) std::cout << "no differences\n";
    return kDone;
}

}  // namespace

static void addBackupCommands(CLI::App& app, std::vector<Command>& commands) {
    auto file = std::make_shared<std::string>();
    auto second = std::make_shared<std::string>();
    CLI::App* bk =
        app.add_subcommand("backup", "Write the instrument's configuration into a backup file");
    bk->add_option(
        "FILE", *file,
        "The backup file (written anew; the old one stays whole until the new one is complete)");
    CLI::App* diff =
        bk->add_subcommand("diff", "Show the keys that differ between two backup files");
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
    CLI::App* restore = app.add_subcommand(
        "restore", "Write a backup file into the instrument (asks unless --yes)");
    restore->add_option("FILE", r->file, "The backup file")->required();
    restore->add_flag("--calibration", r->calibration, "Restore the calibration");
    restore->add_flag("--config", r->config, "Restore the instrument configuration");
    restore->add_flag("--cylinder", r->cylinder, "Restore the press limits of an electric press");
    commands.push_back({restore, [r](Context& ctx) { return runRestore(ctx, *r); }});
}

KRN_CLI_COMMANDS(70, addBackupCommands)

}  // namespace cli
