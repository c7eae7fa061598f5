#include "cli/command_line.h"

#include <iostream>

#include "cli/completion.h"
#include "platform/version.h"

namespace cli {
namespace {

void addLeaves(const CLI::App& level, const std::string& path,
               std::vector<std::pair<std::string, const CLI::App*>>& out) {
    const auto subs =
        level.get_subcommands([](const CLI::App* s) { return !s->get_group().empty(); });
    if (subs.empty() && !path.empty()) out.emplace_back(path, &level);
    for (const CLI::App* s : subs)
        addLeaves(*s, path.empty() ? s->get_name() : path + " " + s->get_name(), out);
}

}  // namespace

void buildCommandLine(CLI::App& app, GlobalOptions& options, std::vector<Command>& commands) {
    // Set before the subcommands are made: they take these from the app.
    app.allow_windows_style_options(false);
    app.footer(kExitCodesHelp);
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.require_subcommand(1);
    // The global options may also stand after the subcommand: what a subcommand does not know
    // falls through to here.
    app.fallthrough();
    app.set_version_flag("--version", "krnctl " + platform::versionText());
    app.add_option("--instrument", options.instrument,
                   "Instrument description: \"COM: n\", \"COM: /dev/path\", \"USB: serial\" or "
                   "\"IP: host:port\" (default: $KRN_INSTRUMENT)");
    app.add_option("--folder", options.folder, "Program folder with the tool's data files");
    app.add_option("--trace", options.trace,
                   "Write every frame and module command exchanged to FILE");
    app.add_option(
        "--simulate", options.simulate,
        std::string("Use an in-process simulated USB instrument of this profile, as \"USB: ") +
            kSimulatedUsbSerial + "\"");
    app.add_option(
        "--simulate-eeprom", options.simulatedEeprom,
        "With --simulate: the simulated chip's EEPROM identity is kept in FILE (a missing file "
        "is a blank chip)");
    app.add_option("--simulate-nvram", options.simulatedNvram,
                   "With --simulate: the simulated instrument's NVRAM is kept in FILE (a missing "
                   "file is a blank instrument)");
    app.add_flag("--json", options.json, "Print the result as one JSON document");
    app.add_flag("--yes", options.yes, "Answer Yes to every question");
    app.add_flag("--verify", options.verify, kVerifyHelp);
    addRegisteredCommands(app, commands);
    // Hidden: the build writes the bash completion with it.
    app.add_flag_callback(
           "--bash-completion",
           [&app] {
               std::cout << bashCompletion(app);
               throw CLI::Success();
           },
           "Print a bash completion script")
        ->group("");
}

std::string commandPath(const CLI::App& command) {
    std::string path = command.get_name();
    for (const CLI::App* p = command.get_parent(); p && p->get_parent(); p = p->get_parent())
        path = p->get_name() + " " + path;
    return path;
}

std::vector<std::pair<std::string, const CLI::App*>> leafCommands(const CLI::App& app) {
    std::vector<std::pair<std::string, const CLI::App*>> out;
    addLeaves(app, "", out);
    return out;
}

}  // namespace cli
