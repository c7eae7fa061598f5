#pragma once
// The table of krnctl's subcommands. Each cmd_*.cpp file adds its subcommands to the table with
// KRN_CLI_COMMANDS at its end; main.cpp builds the command line from the table, so adding a
// subcommand touches only its own file.
#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

#include "cli/context.h"

namespace cli {

// A subcommand and what it does once the options are parsed; returns the exit code.
struct Command {
    CLI::App* app;
    std::function<int(Context&)> run;
};

// Adds one family of subcommands to the command line and their actions to commands.
using CommandFamily = void (*)(CLI::App& app, std::vector<Command>& commands);

// Enters a family into the table. position orders the families in the help text.
struct CommandRegistration {
    CommandRegistration(int position, CommandFamily family);
};

// Every family of the table, in the order of their positions.
void addRegisteredCommands(CLI::App& app, std::vector<Command>& commands);

// The subcommand NAME of app that groups further subcommands ("users", "memory" ...): created with
// its help on first use, found again by the next family that adds to it.
CLI::App* commandGroup(CLI::App& app, const std::string& name, const std::string& help);

// --address and --port of the discovery, on every command that discovers.
void addDiscoveryOptions(CLI::App* app, DiscoveryOptions& options);

}  // namespace cli

#define KRN_CLI_CONCAT2(a, b) a##b
#define KRN_CLI_CONCAT(a, b) KRN_CLI_CONCAT2(a, b)
// At the end of a cmd_*.cpp file: KRN_CLI_COMMANDS(position, addTheseCommands);
#define KRN_CLI_COMMANDS(position, family)                                                       \
    namespace {                                                                                  \
    const ::cli::CommandRegistration KRN_CLI_CONCAT(registration_, __LINE__){position, &family}; \
    }
