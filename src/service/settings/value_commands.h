#pragma once
// The "&Setting" commands that change one configuration byte on a link the window opens itself
// (style B): force filter, default start force, end-wait samples and the clock prescaler of
// speed acquisition. Each reads the current value, asks for the new one, checks its range,
// asks "Send new value?", writes it and, where the value needs it, restarts the instrument.
#include <vector>

#include "service/core/command_host.h"
#include "service/core/menu_commands.h"
#include "service/core/outcome.h"

namespace service {

Outcome ForceFilterCommand(CommandHost& host);     // "&Force transducer low pass filter..."
Outcome StartForceCommand(CommandHost& host);      // "Change &default value for start force..."
Outcome WaitEndCommand(CommandHost& host);         // "&Wait end..."
Outcome ClockPrescalerCommand(CommandHost& host);  // "Clock prescaler in speed acquisition..."

// The four commands as one table, for the front ends that name them: a short name for scripts,
// the member the value is kept in, what it is, the range the command's own check takes (the
// filter's also needs version 2.48) and the command.
struct ValueCommandEntry {
    const char* shortName;  // "start-force"
    const char* member;     // "DefaultForzaInizio"
    std::string help;       // "Default start force (1 to 255)"
    int low, high;
    MenuCommand command;
};
const std::vector<ValueCommandEntry>& valueCommands();

}  // namespace service
