#include "service/core/menu_commands.h"

#include <exception>

#include "service/backup/memory_commands.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/program_folder.h"
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

namespace {

// One line per menu entry with a command. An entry the window's menu table does not hold gives
// its caption and the entry it goes before as well.
struct MenuLine {
    const char* name;
    MenuCommand command;
    const char* caption = nullptr;
    const char* before = nullptr;
};

const MenuLine kMenuLines[] = {
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
    {"mnuCartellaProgramma", &ProgramFolderCommand, "Open program folder", "Sep2"},
};

}  // namespace

const std::map<std::string, MenuCommand>& menuCommands() {
    static const std::map<std::string, MenuCommand> commands = [] {
        std::map<std::string, MenuCommand> m;
        for (const MenuLine& l : kMenuLines) m.emplace(l.name, l.command);
        return m;
    }();
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

// A command that ended because another instrument answered after a reopen or a restart says so,
// whatever it said itself: the link was closed then, before anything more was written.
Outcome toldIfInstrumentChanged(CommandHost& host, Outcome outcome) {
    const std::optional<std::string>& changed = host.control().link().instrumentChanged();
    if (!changed) return outcome;
    tell(host,
         "The instrument answering now is not the one this command began with (" + *changed +
             " differs).\nNothing more was written to it: check which instrument is connected "
             "and run the command again.",
         platform::MessageIcon::Critical);
    return Outcome::Failed;
}

}  // namespace

const std::vector<MenuPlacement>& menuPlacements() {
    static const std::vector<MenuPlacement> placements = [] {
        std::vector<MenuPlacement> v;
        for (const MenuLine& l : kMenuLines)
            if (l.caption) v.push_back({l.name, l.caption, l.before ? l.before : ""});
        return v;
    }();
    return placements;
}

Outcome runCommand(CommandHost& host, const std::function<Outcome(CommandHost&)>& command0) {
    const std::function<Outcome(CommandHost&)> command = [&](CommandHost& h) {
        return guarded(h, command0);
    };
    host.controller().clearCancel();
    host.activity.clear();
    if (!host.verifica()) return toldIfInstrumentChanged(host, command(host));
    Outcome outcome = Outcome::Done;
    const auto failure =
        withVerification(host.control().nvram(), true, [&] { outcome = command(host); });
    outcome = toldIfInstrumentChanged(host, outcome);
    if (!failure) return outcome;
    tell(host, "Verify: " + verifyFailureText(*failure) + ".", platform::MessageIcon::Critical);
    return outcome == Outcome::Done ? Outcome::Failed : outcome;
}

}  // namespace service
