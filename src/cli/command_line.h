#pragma once
// krnctl's whole command line: the global options, every subcommand of the table, --version,
// the exit codes at the foot of every --help, and the shell completion written from the table.
#include <CLI/CLI.hpp>
#include <vector>

#include "cli/commands.h"
#include "cli/context.h"

namespace cli {

// The foot of every --help.
inline constexpr const char* kExitCodesHelp =
    "Exit codes: 0 done; 1 the instrument or the link failed; 2 usage error (unknown option, "
    "bad value, no instrument given); 3 refused or cancelled (a value the instrument's box "
    "refuses, No, Ctrl-C); 4 a file could not be read or written.";

// Builds the command line into app. The global options may stand before or after the
// subcommand; "/path" is an argument on every system, never an option.
void buildCommandLine(CLI::App& app, GlobalOptions& options, std::vector<Command>& commands);

// "memory export": the subcommand's names from the top, without the program's.
std::string commandPath(const CLI::App& command);

// The subcommands a command line holds, leaves only ("memory export"), each with its path.
std::vector<std::pair<std::string, const CLI::App*>> leafCommands(const CLI::App& app);

}  // namespace cli
