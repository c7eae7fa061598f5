#pragma once
// krnsetup's command line: the menu switches ("/FUL", "/CFG", "/ZENKO", kept as typed, in order)
// and the program's own options. No Qt.
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    std::string switches;  // "/FUL /CFG", as the menu flags read them
    std::string folder;
    std::string trace;
    bool simulate = false;
    bool help = false;
    bool version = false;
    int quitAfterMs = 0;  // scripted checks: close the window after this long
    std::string error;    // what is wrong with the command line; empty when nothing
};

// args: the arguments without the program name (and without Qt's own options).
CommandLine parseCommandLine(const std::vector<std::string>& args);
// The text of --help.
std::string usageText();
// Whether the raw arguments ask for --help (looked at before the window system starts).
bool asksForHelp(int argc, char** argv);
// Whether the raw arguments ask for --version (answered before the window system starts too).
bool asksForVersion(int argc, char** argv);

}  // namespace app
