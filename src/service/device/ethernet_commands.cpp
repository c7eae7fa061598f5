#include "service/device/ethernet_commands.h"

#include "link/instrument_description.h"

namespace service {
namespace {

constexpr const char* kWiringHint =
    "Fare un ponticello tra i primi due pin in basso del tibbo\n"
    "Controllare il setup come segue:\n"
    "Controllo di flusso: 1 (Local)\n"
    "DTR Mode: 0";

}  // namespace

Outcome outcomeOf(krnlink::EthernetSetup::End end) {
    using End = krnlink::EthernetSetup::End;
    switch (end) {
        case End::Done:
            return Outcome::Done;
        case End::Failed:
            return Outcome::Failed;
        case End::None:
        case End::Cancelled:
            break;
    }
    return Outcome::Cancelled;
}

Outcome EthernetSetupCommand(CommandHost& host) {
    if (host.screenCopyVisible())
        host.dialogs().message(
            {kWiringHint, "", platform::MessageIcon::None, platform::MessageButtons::Ok, 0});
    krnlink::SelectionOptions options;
    options.SoloEthernet = true;
    const auto chosen = host.selectInstrument(kEthernetSelectionTitle, options);
    if (!chosen || chosen->rfind("MAC:", 0) != 0) return Outcome::Cancelled;
    return host.showEthernetSetup(krnlink::trimLeft(chosen->substr(4)));
}

Outcome runEthernetSetup(krnlink::EthernetSetup& setup, platform::Dialogs& dialogs) {
    setup.start();
    setup.runUntilIdle();
    if (setup.closed()) return outcomeOf(setup.end());
    const auto ip = dialogs.input(kNewIpPrompt, kEthernetSetupTitle, setup.ipText());
    if (!ip) {
        setup.cancel();
        return Outcome::Cancelled;
    }
    setup.confirm(*ip);
    setup.runUntilIdle();
    return outcomeOf(setup.end());
}

}  // namespace service
