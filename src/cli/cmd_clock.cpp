// krnctl clock: the instrument's date and time beside the computer's, and setting it.
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"

namespace cli {
namespace {

std::string text(const platform::LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

int runClock(Context& ctx, bool set) {
    Session session(ctx);
    if (int rc = session.open(false); rc != kDone) return rc;
    auto& c = ctx.instrument();
    if (!c.ConOrologio()) {
        ctx.message("No clock\n");
        return kRefused;
    }
    if (set && !c.SicronizzaOra()) {
        ctx.message("Communication error\nthe instrument did not take the new time");
        return kInstrumentFailed;
    }
    auto instrumentTime = c.LeggiOra();
    const platform::LocalDateTime pc = ctx.clock().localNow();
    if (!instrumentTime) {
        ctx.message("Communication error\n" + ctx.description());
        return kInstrumentFailed;
    }
    const auto difference = platform::toEpochSeconds(*instrumentTime) - platform::toEpochSeconds(pc);
    if (ctx.options().json) {
        std::cout << Json::object()
                         .add("Strumento", text(*instrumentTime))
                         .add("PC", text(pc))
                         .add("Differenza", static_cast<std::int64_t>(difference))
                         .str()
                  << "\n";
    } else {
        std::cout << "Instrument: " << text(*instrumentTime) << "\n"
                  << "PC:         " << text(pc) << "\n"
                  << "Difference: " << difference << " s\n";
    }
    return kDone;
}

}  // namespace

void addClockCommand(CLI::App& app, std::vector<Command>& commands) {
    auto set = std::make_shared<bool>(false);
    CLI::App* clock = app.add_subcommand("clock", "Show the instrument's date and time beside the computer's");
    clock->add_flag("--set", *set, "Set the instrument's clock from the computer's");
    commands.push_back({clock, [set](Context& ctx) { return runClock(ctx, *set); }});
}

}  // namespace cli
