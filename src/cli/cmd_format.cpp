// krnctl format: the instrument memory format of krnsetup, with the profile form answered from a
// profile file (krnctl profile new writes one), or the customer question flow on the terminal.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "provisioning/profile_file.h"
#include "service/core/menu_commands.h"
#include "service/format/send_setup.h"

namespace cli {
namespace {

struct FormatOptions {
    std::string profile;
    bool lumbro = false;
    bool resetCounters = false;
    bool differencesOnly = false;
};

int runFormat(Context& ctx, const FormatOptions& o) {
    if (o.profile.empty() == !o.lumbro) {
        ctx.message("krnctl: give either --profile FILE or --lumbro");
        return kUsage;
    }
    if (!o.profile.empty()) {
        const provisioning::ProfiloLetto letto = provisioning::leggiFileProfilo(o.profile);
        if (!letto.profilo) {
            ctx.message("krnctl: " + letto.errore);
            return kFileError;
        }
        ctx.answerProfile(*letto.profilo);
    }
    ctx.setSoloDifferenze(o.differencesOnly);
    const service::Outcome outcome = service::runCommand(ctx, [&](service::CommandHost& host) {
        return o.lumbro ? service::formatInstrumentLumbro(host, o.resetCounters)
                        : service::formatInstrument(host, o.resetCounters);
    });
    if (ctx.noInstrument()) return kUsage;
    if (ctx.options().json) {
        Json json = Json::object();
        if (!o.profile.empty()) json.add("Profilo", o.profile);
        json.add("SoloDifferenze", o.differencesOnly)
            .add("Esito", outcome == service::Outcome::Done);
        std::cout << json.str() << "\n";
    }
    return exitCode(outcome);
}

}  // namespace

static void addFormatCommand(CLI::App& app, std::vector<Command>& commands) {
    auto o = std::make_shared<FormatOptions>();
    CLI::App* format =
        app.add_subcommand("format",
                           "Instrument memory format...: erase, test, send the image built for the "
                           "profile, write the options (asks twice unless --yes)");
    format->add_option("--profile", o->profile, "Profile file (krnctl profile new writes one)");
    format->add_flag(
        "--lumbro", o->lumbro,
        "Lumbro's instrument memory format...: the customer questions on the terminal");
    format->add_flag("--reset-counters", o->resetCounters, "Set the hit counter to 0");
    format->add_flag(
        "--differences-only", o->differencesOnly,
        "Write nothing: log every byte that differs to Diff.asm in the program folder");
    commands.push_back({format, [o](Context& ctx) { return runFormat(ctx, *o); }});
}

KRN_CLI_COMMANDS(200, addFormatCommand)

}  // namespace cli
