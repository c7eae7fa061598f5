#include "app/command_line.h"

#include <cstring>

namespace app {

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    for (std::size_t i = 0; i < args.size() && c.error.empty(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 < args.size())
                into = args[++i];
            else
                c.error = a + " needs a value";
        };
        if (a == "--simulate") {
            c.simulate = true;
        } else if (a == "--help" || a == "-h") {
            c.help = true;
        } else if (a == "--version") {
            c.version = true;
        } else if (a == "--folder") {
            value(c.folder);
        } else if (a == "--trace") {
            value(c.trace);
        } else if (a == "--quit-after") {
            std::string ms;
            value(ms);
            if (c.error.empty()) {
                try {
                    c.quitAfterMs = std::stoi(ms);
                } catch (...) {
                    c.error = "--quit-after takes milliseconds, not '" + ms + "'";
                }
            }
        } else if (!a.empty() && a[0] == '-') {
            c.error = "unknown option " + a;
        } else {
            // The menu switches; other words stay in the text the switches are looked for in.
            c.switches += (c.switches.empty() ? "" : " ") + a;
        }
    }
    return c;
}

std::string usageText() {
    return "Usage: krnsetup [/FUL] [/CFG] [/ZENKO] [options]\n"
           "\n"
           "  /FUL             the full menu (only as the first argument)\n"
           "  /CFG             the configuration entries\n"
           "  /ZENKO           the development entries\n"
           "  --simulate       three simulated instruments instead of the hardware\n"
           "  --folder DIR     the program folder (default: KRN_FOLDER, else the per-user\n"
           "                   data folder)\n"
           "  --trace FILE     write every frame exchanged with an instrument to FILE\n"
           "  --quit-after MS  close the window after MS milliseconds (scripted checks)\n"
           "  --version        the version, and exit\n"
           "  --help, -h       this text, and exit\n";
}

bool asksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    return false;
}

bool asksForVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) return true;
    return false;
}

}  // namespace app
