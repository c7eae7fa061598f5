#include "cli/commands.h"

#include <algorithm>
#include <utility>

namespace cli {
namespace {

std::vector<std::pair<int, CommandFamily>>& table() {
    static std::vector<std::pair<int, CommandFamily>> families;
    return families;
}

}  // namespace

CommandRegistration::CommandRegistration(int position, CommandFamily family) {
    table().emplace_back(position, family);
}

void addRegisteredCommands(CLI::App& app, std::vector<Command>& commands) {
    auto families = table();
    std::stable_sort(families.begin(), families.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [position, family] : families) family(app, commands);
}

CLI::App* commandGroup(CLI::App& app, const std::string& name, const std::string& help) {
    const auto found = app.get_subcommands([&](CLI::App* sub) { return sub->get_name() == name; });
    if (!found.empty()) return found.front();
    CLI::App* group = app.add_subcommand(name, help);
    group->require_subcommand(1);
    return group;
}

}  // namespace cli
