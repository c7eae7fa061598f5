// krnctl folder: the program folder, where the data files and the default output files are.
#include "cli/commands.h"
#include "service/core/menu_commands.h"
#include "service/core/program_folder.h"

namespace cli {

static void addFolderCommand(CLI::App& app, std::vector<Command>& commands) {
    CLI::App* folder = app.add_subcommand(
        "folder", "Print the program folder (--folder, KRN_FOLDER or the per-user one)");
    commands.push_back({folder, [](Context& ctx) {
                            return exitCode(
                                service::runCommand(ctx, &service::ProgramFolderCommand));
                        }});
}

KRN_CLI_COMMANDS(210, addFolderCommand)

}  // namespace cli
