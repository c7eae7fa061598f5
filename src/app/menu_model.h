#pragma once
// The main window's command menu: every entry with its caption and the rule that shows it, and
// the flags F, L, C, D computed from the command line and the access level.
#include <map>
#include <string>
#include <vector>

namespace app {

enum class Visibility { Design, Always, Never, F, L, C, D };

struct MenuEntry {
    const char* name;     // "mnuOrologio"
    const char* caption;  // "&Clock..."
    Visibility rule;
    const char* parent;  // the submenu it belongs to; nullptr for a top-level menu
    bool separator = false;
};

struct MenuFlags {
    bool F = false, L = false, C = false, D = false;
};

// F: the command line begins with "/FUL"; C: "/CFG" anywhere, or F; D: "/ZENKO" anywhere, or
// level 2 or 3, or F; L: level -1, 1 or 3. Letter case is ignored.
MenuFlags computeFlags(const std::string& commandLine, int level);
bool visible(Visibility rule, const MenuFlags& f);

const std::vector<MenuEntry>& menuTable();

// The caption without its mnemonic marker: "&Clock..." -> "Clock...".
std::string withoutMnemonic(const std::string& caption);
// The mnemonic letter of a caption, lower case; 0 when it has none.
char mnemonicOf(const std::string& caption);
// The captions as the menus show them, by entry name: the table's texts, with every mnemonic
// unique within its menu. A letter already taken by an earlier entry of the same menu moves to
// the first free initial of the caption's words, else to its first free letter.
const std::map<std::string, std::string>& menuCaptions();

struct Language {
    const char* name;
    const char* textFile;
    const char* menuFile;
    const char* translationFile;
};
const std::vector<Language>& languageTable();

}  // namespace app
