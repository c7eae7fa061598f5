#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <vector>

#include "cli/context.h"

namespace cli {

// A subcommand and what it does once the options are parsed; returns the exit code.
struct Command {
    CLI::App* app;
    std::function<int(Context&)> run;
};

void addLinkCommands(CLI::App& app, std::vector<Command>& commands);
void addIdentifyCommand(CLI::App& app, std::vector<Command>& commands);
void addInstrumentCommands(CLI::App& app, std::vector<Command>& commands);
void addListCommand(CLI::App& app, std::vector<Command>& commands);
void addClockCommand(CLI::App& app, std::vector<Command>& commands);
void addDataCommands(CLI::App& app, std::vector<Command>& commands);
void addBackupCommands(CLI::App& app, std::vector<Command>& commands);
void addSettingCommands(CLI::App& app, std::vector<Command>& commands);
// After addDataCommands: "users export" joins its "users".
void addMemoryCommands(CLI::App& app, std::vector<Command>& commands);
void addTextsCommands(CLI::App& app, std::vector<Command>& commands);
void addFontsCommands(CLI::App& app, std::vector<Command>& commands);
void addProfileCommands(CLI::App& app, std::vector<Command>& commands);
void addImageCommands(CLI::App& app, std::vector<Command>& commands);
void addScreenCommand(CLI::App& app, std::vector<Command>& commands);
void addFirmwareCommands(CLI::App& app, std::vector<Command>& commands);
void addEthernetCommands(CLI::App& app, std::vector<Command>& commands);
void addUsbCommands(CLI::App& app, std::vector<Command>& commands);
void addSendTextCommand(CLI::App& app, std::vector<Command>& commands);
void addMemtestCommands(CLI::App& app, std::vector<Command>& commands);
void addFormatCommand(CLI::App& app, std::vector<Command>& commands);
void addDiscoveryOptions(CLI::App* app, DiscoveryOptions& options);

}  // namespace cli
