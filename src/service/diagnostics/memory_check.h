#pragma once
// The memory test the menu command and the memory format run. It tests the NVRAM, which it
// leaves erased: byte by byte from the computer on instruments below extension 21, by the
// instrument's own test (started, then followed until it ends) from extension 21 on. It reports
// to the controller's progress and honours its cancel flag.
#include "service/core/command_host.h"

namespace service {

// True when the conversation went through without failure or cancel; errore then tells whether
// a memory cell failed.
bool EseguiTestMemoria(CommandHost& host, int cicli, bool& errore);

}  // namespace service
