// krnctl clock: the instrument's date and time beside the computer's, and setting it; krnctl
// comm-test: the communication test.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "service/core/menu_commands.h"
#include "service/diagnostics/communication_check.h"
#include "service/settings/clock_command.h"

namespace cli {
namespace {

// The clock dialog of krnctl: "Send" when --set was given, then one reading, printed.
int runClock(Context& ctx, bool set) {
    int rc = kDone;
    ctx.clockDialog = [&](instrument::UCKRNVisual& c) {
        if (set && !c.SicronizzaOra()) {
            ctx.communicationError("the instrument did not take the new time");
            rc = kInstrumentFailed;
            return;
        }
        const auto r = service::readClock(c, ctx.clock());
        if (!r) {
            ctx.communicationError(ctx.description());
            rc = kInstrumentFailed;
            return;
        }
        if (ctx.options().json) {
            std::cout << Json::object()
                             .add("Strumento", platform::dateTimeText(r->instrument))
                             .add("PC", platform::dateTimeText(r->pc))
                             .add("Differenza", static_cast<std::int64_t>(r->difference))
                             .str()
                      << "\n";
        } else {
            std::cout << "Instrument: " << platform::dateTimeText(r->instrument) << "\n"
                      << "PC:         " << platform::dateTimeText(r->pc) << "\n"
                      << "Difference: " << r->difference << " s\n";
        }
    };
    const service::Outcome outcome = service::runCommand(ctx, &service::ClockCommand);
    if (ctx.noInstrument()) return kUsage;
    return outcome == service::Outcome::Done ? rc : exitCode(outcome);
}

int runCommTest(Context& ctx, int count) {
    ctx.communicationAttempts = count;
    const service::Outcome outcome = service::runCommand(ctx, &service::CommunicationTest);
    if (ctx.noInstrument()) return kUsage;
    if (outcome != service::Outcome::Done) return exitCode(outcome);
    if (ctx.options().json)
        std::cout << Json::object()
                         .add("Tentativi", static_cast<std::int64_t>(count))
                         .add("Riusciti", static_cast<std::int64_t>(ctx.communicationSuccesses))
                         .str()
                  << "\n";
    return ctx.communicationSuccesses > 0 ? kDone : kInstrumentFailed;
}

}  // namespace

static void addClockCommand(CLI::App& app, std::vector<Command>& commands) {
    auto set = std::make_shared<bool>(false);
    CLI::App* clock =
        app.add_subcommand("clock", "Show the instrument's date and time beside the computer's");
    clock->add_flag("--set", *set, "Set the instrument's clock from the computer's");
    commands.push_back({clock, [set](Context& ctx) { return runClock(ctx, *set); }});

    auto count = std::make_shared<int>(1);
    CLI::App* test = app.add_subcommand(
        "comm-test",
        "Try to reach the instrument, COUNT times (0: until Ctrl-C); prints OK or NO for each try");
    test->add_option("--count", *count, "Number of attempts (default 1)")
        ->check(CLI::Range(0, 1000000));
    commands.push_back({test, [count](Context& ctx) { return runCommTest(ctx, *count); }});
}

KRN_CLI_COMMANDS(50, addClockCommand)

}  // namespace cli
