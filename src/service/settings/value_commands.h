#pragma once
// The "&Setting" commands that change one configuration byte on a link the window opens itself
// (style B): force filter, default start force, end-wait samples and the clock prescaler of
// speed acquisition. Each reads the current value, asks for the new one, checks its range,
// asks "Send new value?", writes it and, where the value needs it, restarts the instrument.
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

Outcome ForceFilterCommand(CommandHost& host);     // "&Force transducer low pass filter..."
Outcome StartForceCommand(CommandHost& host);      // "Change &default value for start force..."
Outcome WaitEndCommand(CommandHost& host);         // "&Wait end..."
Outcome ClockPrescalerCommand(CommandHost& host);  // "Clock prescaler in speed acquisition..."

}  // namespace service
