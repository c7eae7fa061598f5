#include "cli/closing_line.h"

#include <map>

#include "cli/context.h"

namespace cli {
namespace {

// What a command that writes into the instrument may leave behind when it stops part way, and
// what puts it right.
struct Aftermath {
    const char* state;
    const char* remedy;
};

const std::map<std::string, Aftermath>& writers() {
    static const std::map<std::string, Aftermath> table{
        {"format", {"the instrument may not be formatted now", "run krnctl format again"}},
        {"send-text",
         {"the instrument may hold part of the new texts and not all of its jobs",
          "run krnctl send-text again"}},
        {"jobs restore",
         {"the job memory may be written only in part", "run krnctl jobs restore FILE again"}},
        {"restore",
         {"the configuration may be written only in part", "run krnctl restore FILE again"}},
        {"memory import",
         {"the bytes before the one it stopped at are written", "run krnctl memory import again"}},
        {"nvram write", {"the bytes may be written only in part", "run krnctl nvram write again"}},
        {"firmware update",
         {"the instrument's firmware is incomplete",
          "run krnctl firmware update again before anything else"}},
        {"memtest",
         {"the NVRAM may be erased and the instrument unformatted",
          "run krnctl memtest again, then krnctl format"}},
        {"history reset",
         {"the history may be cleared only in part", "run krnctl history reset again"}},
        {"usb program", {"the USB chip may keep its old identity", "run krnctl usb program again"}},
        {"station",
         {"each instrument's report row tells how far it got, and one not done keeps its serial "
          "number",
          "plug it in again while krnctl station runs: it goes on where it stopped"}},
        {"usb set-ids",
         {"the USB chip may keep its old identifiers", "run krnctl usb set-ids again"}},
        {"firmware verify",
         {"nothing was written (the flash was only compared)",
          "run krnctl firmware update FILE where the flash should hold FILE"}},
        {"update-mode",
         {"the instrument may still be in its former mode", "run krnctl update-mode again"}},
        {"fleet backup",
         {"no instrument was changed; the backups listed as saved are in the folder",
          "check the instruments listed as failed and run krnctl fleet backup again"}},
        {"ethernet setup",
         {"the module may keep its former address or settings", "run krnctl ethernet setup again"}},
    };
    return table;
}

// The commands that change one value or name: the instrument keeps the old one or the new.
bool changesOneValue(const std::string& path) {
    return path == "name" || path == "brake-name" || path == "deformation" || path == "counter" ||
           path.rfind("setting ", 0) == 0;
}

}  // namespace

std::string closingLine(const std::string& path, int exitCode) {
    const std::string happened = exitCode == kInstrumentFailed
                                     ? "failed (the instrument or the link)"
                                 : exitCode == kRefused ? "was refused or cancelled"
                                                        : "stopped at a file";
    std::string state, remedy;
    if (exitCode == kFileError) {
        // Files are read and checked whole before anything is sent.
        state = "nothing was written to the instrument";
        remedy = "correct the file named above and run the command again";
    } else if (auto it = writers().find(path); it != writers().end()) {
        state = it->second.state;
        remedy = it->second.remedy;
    } else if (changesOneValue(path)) {
        state = "the instrument keeps either the old value or the new one";
        remedy = "run krnctl " + path + " without a value to see which";
    } else {
        state = "the instrument was not changed";
        remedy = exitCode == kInstrumentFailed
                     ? "check the cable or the network and run krnctl " + path + " again"
                     : "run krnctl " + path + " again when it should go on";
    }
    return "krnctl: " + path + " " + happened + "; " + state + ": " + remedy + ".";
}

}  // namespace cli
