// krnctl firmware update / verify: the firmware update of krnsetup without its window, and a
// comparison of a firmware file with the flash that writes nothing.
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "service/core/menu_commands.h"
#include "service/device/firmware_update.h"

namespace cli {
namespace {

std::string hex(std::int32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(v));
    return text;
}

int runUpdate(Context& ctx, const std::string& file) {
    ctx.answerFile(file);
    const service::Outcome outcome = service::runCommand(ctx, &service::UpdateFirmwareCommand);
    if (ctx.noInstrument()) return kUsage;
    if (ctx.options().json)
        std::cout << Json::object()
                         .add("File", file)
                         .add("Esito", outcome == service::Outcome::Done)
                         .str()
                  << "\n";
    return exitCode(outcome);
}

int runVerify(Context& ctx, const std::string& file) {
    service::BlockCheck check;
    const service::Outcome outcome = service::runCommand(ctx, [&](service::CommandHost& host) {
        return service::VerifyFirmware(host, file, check);
    });
    if (ctx.noInstrument()) return kUsage;
    if (outcome != service::Outcome::Done) return exitCode(outcome);
    if (ctx.options().json) {
        Json json = Json::object();
        json.add("File", file).add("Uguale", check.uguale);
        if (check.firstDifference)
            json.add("PrimaDifferenza", static_cast<std::int64_t>(*check.firstDifference));
        std::cout << json.str() << "\n";
    } else {
        std::cout << (check.uguale ? std::string("identical")
                                   : "differs at " + hex(*check.firstDifference))
                  << "\n";
    }
    return check.uguale ? kDone : kInstrumentFailed;
}

}  // namespace

static void addFirmwareCommands(CLI::App& app, std::vector<Command>& commands) {
    auto file = std::make_shared<std::string>();
    CLI::App* firmware = app.add_subcommand(
        "firmware", "Update the instrument's flash from a firmware file, or compare them");
    firmware->require_subcommand(1);
    CLI::App* update = firmware->add_subcommand(
        "update", "Update firmware... with FILE and the loader blocks of the program folder");
    update->add_option("FILE", *file, "The firmware file (.atm)")->required();
    commands.push_back({update, [=](Context& ctx) { return runUpdate(ctx, *file); }});
    CLI::App* verify =
        firmware->add_subcommand("verify", "Compare FILE with the flash; nothing is written");
    verify->add_option("FILE", *file, "The firmware file (.atm)")->required();
    commands.push_back({verify, [=](Context& ctx) { return runVerify(ctx, *file); }});
}

KRN_CLI_COMMANDS(150, addFirmwareCommands)

}  // namespace cli
