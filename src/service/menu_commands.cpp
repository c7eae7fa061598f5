#include "service/menu_commands.h"

#include "service/clock_command.h"
#include "service/communication_test.h"
#include "service/controller.h"

namespace service {

const std::map<std::string, MenuCommand>& menuCommands() {
    static const std::map<std::string, MenuCommand> commands = {
        {"mnuOrologio", &ClockCommand},
        {"mnuTestComm", &CommunicationTest},
    };
    return commands;
}

Outcome runCommand(CommandHost& host, const std::function<Outcome(CommandHost&)>& command) {
    host.controller().clearCancel();
    return command(host);
}

}  // namespace service
