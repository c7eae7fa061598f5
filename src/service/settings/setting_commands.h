#pragma once
// The "&Setting" commands that connect through the controller (press and keyboard locked,
// clock compared): the instrument name, the name of the BRAKE (set-point) output, the structure
// deformation coefficients and the main hit counter.
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// Set-point function name in NVRAM: the length at 255 (0..13), the characters from 256.
inline constexpr std::int32_t kSetPointNameAddress = 255;
inline constexpr int kSetPointNameMax = 13;

Outcome InstrumentNameCommand(CommandHost& host);  // "Change instrument &name..."
Outcome SetPointNameCommand(CommandHost& host);    // "Change name of BRAKE output..."
Outcome DeformationCommand(CommandHost& host);     // "Structure &deformation..."
Outcome CounterCommand(CommandHost& host);         // "Reset main counter"

}  // namespace service
