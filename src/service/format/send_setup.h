#pragma once
// The instrument memory format: SendSetup (image built for the connected instrument, signature
// cleared, memory tested, image and header sent, counter and signature written back, options
// written) and the two menu flows that start it.
#include <string>

#include "instrument/connection.h"
#include "provisioning/profilo.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

inline constexpr const char* kFormatoRiuscito = "Format process successful.";
inline constexpr const char* kValoriCancellati =
    "All the values previously set up will be erased.\nAre you sure you want to continue?";

// The format of the connected (and locked) instrument for the profile. The image file goes to
// tempFolder ("RamSetup.asm") and is deleted at the end. errPR_OK also when the technician
// cancelled (CMain::Annullando then tells). In the differences-only mode nothing is written:
// no erase, no memory test, no counter, no restart; every byte of the format that differs from
// the instrument is logged in "Diff.asm", created empty first. A file of the program folder
// that is missing or malformed stops the format before anything is written: its box is shown,
// fileRefused (when given) is set and the result is errPR_Setup. So does a profile value that
// does not fit its field or the instrument's memory (its key and limits told), with
// profileRefused set instead.
instrument::ErrPR SendSetup(CommandHost& host, const provisioning::CProfilo& profilo,
                            bool resetCounters, const std::string& tempFolder,
                            bool* fileRefused = nullptr, bool* profileRefused = nullptr);

// "Instrument memory format..." and "Lumbro's instrument memory format...".
Outcome FormMain_evInviaSetup(CommandHost& host);
Outcome FormMain_evInviaSetupLumbro(CommandHost& host);
// The same flows, with the hit counter set to 0 when resetCounters (krnctl format).
Outcome formatInstrument(CommandHost& host, bool resetCounters);
Outcome formatInstrumentLumbro(CommandHost& host, bool resetCounters);

}  // namespace service
