#include "service/menu_commands.h"

#include "service/clock_command.h"
#include "service/communication_test.h"
#include "service/controller.h"
#include "service/display_texts.h"

namespace service {

const std::map<std::string, MenuCommand>& menuCommands() {
    static const std::map<std::string, MenuCommand> commands = {
        {"mnuOrologio", &ClockCommand},
        {"mnuTestComm", &CommunicationTest},
        {"mnuImportaTradotto", &ImportTranslatedFile},
        {"mnuImportaTradotti", &ImportAllTranslatedFiles},
        {"mnuCreaFileTraduzione", &CreateTranslationFile},
        {"mnuCreaFormatoMenu", &CreateMenuFormatFile},
        {"mnuCreaFont", &FontBuilderCommand},
    };
    return commands;
}

Outcome runCommand(CommandHost& host, MenuCommand command) {
    host.controller().clearCancel();
    return command(host);
}

}  // namespace service
