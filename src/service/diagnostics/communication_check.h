#pragma once
// "Communication test...": repeated attempts to reach the chosen instrument, each shown as "OK"
// or "NO".
#include <string>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// USB: the device opens, takes 115200 baud and one zero byte; serial and Ethernet: the link
// opens with the configuration read. The conversation is ended afterwards in every case.
bool communicationAttempt(CommandHost& host, const std::string& description);

// Selection, then the test's dialog until the technician closes it.
Outcome CommunicationTest(CommandHost& host);

}  // namespace service
