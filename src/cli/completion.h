#pragma once
// Shell completion for krnctl, written from the command line's own table of subcommands and
// options, so that it never lags behind them.
#include <CLI/CLI.hpp>
#include <string>

namespace cli {

// A bash completion script for app: subcommands and options at each level; file names where
// nothing else fits.
std::string bashCompletion(const CLI::App& app);

}  // namespace cli
