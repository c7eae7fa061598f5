#pragma once
// The USB chip's identity: "&Inizializza USB EEprom..." gives a new instrument the next serial
// number of the list and its name; "Update USB port controller..." rewrites the identifiers;
// "&Edit list of EEprom serial number..." shows the list.
#include <optional>
#include <string>

#include "resources/serial_list.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

inline constexpr const char* kSelectDevice = "Select device";

// Program a new identity for a device of the given type (3, or 4 for the second family).
Outcome programUsbIdentity(CommandHost& host, int type);
Outcome WriteEEpromCommand(CommandHost& host);  // type 3
Outcome UsbIdsCommand(CommandHost& host);       // identifiers only
Outcome SerialListCommand(CommandHost& host);   // the list in edit mode

// The list dialog on boxes (what krnctl runs): the list's path from the settings, "File not
// found" when it is missing; in program mode the three fields as input boxes, then the
// assignment under the list's lock. Refusals are shown and nothing is assigned.
std::optional<resources::SerialAssignment> serialListOnBoxes(CommandHost& host, int type);

// How long an assignment waits for another station's lock on the list.
inline constexpr auto kSerialListLockTimeout = std::chrono::seconds(10);

}  // namespace service
