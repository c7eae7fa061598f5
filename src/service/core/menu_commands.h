#pragma once
// The commands behind the main window's menu entries, by entry name. The desktop program
// enables and wires exactly these entries; a new command adds one line here.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

using MenuCommand = Outcome (*)(CommandHost&);

const std::map<std::string, MenuCommand>& menuCommands();

// An entry of menuCommands() that the window's own menu table does not hold: its caption and
// the entry it is shown before (in that entry's menu).
struct MenuPlacement {
    std::string name;
    std::string caption;
    std::string before;
};
const std::vector<MenuPlacement>& menuPlacements();

// Runs one command as the window does: the cancel flag down at its start; with
// CommandHost::verifica, every transfer verified and a difference that stays told in a box
// ("Verify: the byte written at &H3A reads back 12 (13 was written).") and the command failed.
Outcome runCommand(CommandHost& host, const std::function<Outcome(CommandHost&)>& command);

}  // namespace service
