#include "service/core/menu_commands.h"

#include <exception>

#include "service/backup/memory_commands.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/verification.h"
#include "service/device/ethernet_commands.h"
#include "service/device/firmware_update.h"
#include "service/device/usb_commands.h"
#include "service/diagnostics/communication_check.h"
#include "service/diagnostics/screen_copy.h"
#include "service/format/send_setup.h"
#include "service/settings/clock_command.h"
#include "service/settings/nvram_commands.h"
#include "service/settings/setting_commands.h"
#include "service/settings/value_commands.h"
#include "service/texts/display_texts.h"
#include "service/texts/send_text.h"

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

namespace {

// A command that throws (out of memory, a fault of a library) still ends its conversation: the
// conversation's destructor runs its closing sequence (keyboard and press released, 18/9) while
// the exception passes, and the command ends here with a message.
Outcome guarded(CommandHost& host, const std::function<Outcome(CommandHost&)>& command) {
    try {
        return command(host);
    } catch (const std::exception& e) {
        tell(host, std::string("The command stopped on an internal error: ") + e.what() + ".",
             platform::MessageIcon::Critical);
    } catch (...) {
        tell(host, "The command stopped on an internal error.", platform::MessageIcon::Critical);
    }
    return Outcome::Failed;
}

}  // namespace

Outcome runCommand(CommandHost& host, const std::function<Outcome(CommandHost&)>& command0) {
    const std::function<Outcome(CommandHost&)> command = [&](CommandHost& h) {
        return guarded(h, command0);
    };
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
