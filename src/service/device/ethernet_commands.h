#pragma once
// "Setup et&hernet port...": the wiring hint, the Ethernet-only selection and the module set-up.
#include <string>

#include "link/ethernet_setup.h"
#include "platform/dialogs.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

inline constexpr const char* kEthernetSetupTitle = "Ethernet communication settings";
inline constexpr const char* kEthernetSelectionTitle = "Ethernet setup";
// The label of the new IP address box when the set-up runs on boxes.
inline constexpr const char* kNewIpPrompt = "IP address:";

// The menu command: hint (at the levels that show the screen copy), "Ethernet setup" selection
// in Ethernet-only mode, then the set-up dialog for the chosen module.
Outcome EthernetSetupCommand(CommandHost& host);

// The set-up without a window: steps 1 to 5, the new address asked in an input box offering
// the address read (Cancel ends it), then steps 10 to 21. Done only when step 21 was reached.
Outcome runEthernetSetup(krnlink::EthernetSetup& setup, platform::Dialogs& dialogs);

// How a finished set-up maps onto a command's outcome.
Outcome outcomeOf(krnlink::EthernetSetup::End end);

}  // namespace service
