#include "service/menu_commands.h"

#include "service/answers.h"
#include "service/clock_command.h"
#include "service/communication_test.h"
#include "service/controller.h"
#include "service/display_texts.h"
#include "service/ethernet_commands.h"
#include "service/firmware_update.h"
#include "service/memory_commands.h"
#include "service/nvram_commands.h"
#include "service/screen_copy.h"
#include "service/send_setup.h"
#include "service/send_text.h"
#include "service/setting_commands.h"
#include "service/usb_commands.h"
#include "service/value_commands.h"
#include "service/verification.h"

namespace service {

const std::map<std::string, MenuCommand>& menuCommands() {
    static const std::map<std::string, MenuCommand> commands = {
        {"mnuOrologio", &ClockCommand},
        {"mnuTestComm", &CommunicationTest},
        {"mnuNomeStrumento", &InstrumentNameCommand},
        {"mnuNomeSetPoint", &SetPointNameCommand},
        {"mnuRecuperoDeformazione", &DeformationCommand},
        {"mnuResetContatore", &CounterCommand},
        {"mnuFiltroF", &ForceFilterCommand},
        {"mnuFZeroDefault", &StartForceCommand},
        {"mnuOpzioneAspettaStop", &WaitEndCommand},
        {"mnuOpzioniStrumento", &ClockPrescalerCommand},
        {"mnuExportMem", &ExportMemoryCommand},
        {"mnuImportMem", &ImportMemoryCommand},
        {"mnuSalvaUtenti", &ExportUsersCommand},
        {"mnuSoloDifferenze", &DifferencesModeCommand},
        {"mnuImportaTradotto", &ImportTranslatedFile},
        {"mnuImportaTradotti", &ImportAllTranslatedFiles},
        {"mnuCreaFileTraduzione", &CreateTranslationFile},
        {"mnuCreaFormatoMenu", &CreateMenuFormatFile},
        {"mnuCreaFont", &FontBuilderCommand},
        {"mnuScreenCopy", &ScreenCopyCommand},
        {"mnuCopiaMenu", &MenuCopyCommand},
        {"mnuUpdate", &UpdateFirmwareCommand},
        {"mnuEthSetup", &EthernetSetupCommand},
        {"mnuListSN", &SerialListCommand},
        {"mnuWriteEEprom", &WriteEEpromCommand},
        {"mnuCambiaIdUSB", &UsbIdsCommand},
        {"mnuInviaTesto", &SendTextCommand},
        {"mnuTestMemoria", &MemoryTestCommand},
        {"mnuWriteCheckSum", &WriteCheckSumCommand},
        {"mnuResetStory", &ResetHistoryCommand},
        {"mnuInviaSetup", &FormMain_evInviaSetup},
        {"mnuFormatLumbro", &FormMain_evInviaSetupLumbro},
    };
    return commands;
}

Outcome runCommand(CommandHost& host, const std::function<Outcome(CommandHost&)>& command) {
    host.controller().clearCancel();
    if (!host.verifica) return command(host);
    Outcome outcome = Outcome::Done;
    const auto failure =
        withVerification(host.control().nvram(), true, [&] { outcome = command(host); });
    if (!failure) return outcome;
    tell(host, "Verify: " + verifyFailureText(*failure) + ".", platform::MessageIcon::Critical);
    return outcome == Outcome::Done ? Outcome::Failed : outcome;
}

}  // namespace service
