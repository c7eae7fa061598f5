#pragma once
// Access levels: the code the technician types decides whether the program opens and at which
// level. The expected code is kept encoded in the settings store.
#include <optional>
#include <string>

#include "platform/dialogs.h"
#include "platform/settings_store.h"

namespace app {

// Built-in values (see docs/access-levels.md, for the service manual).
inline constexpr const char* kSeed = "2718";        // the code when none is stored
inline constexpr unsigned char kKey = 0x5A;         // XOR key of the stored form
inline constexpr const char* kWord6 = "TECNIC";     // + 6 letters: level 1
inline constexpr const char* kWord3 = "SVC";        // + 3 letters: level 2
inline constexpr const char* kWord9 = "SVCTECNIC";  // + 9 letters: level 3

std::string encodeAccessCode(const std::string& plain);
// nullopt when the text is not pairs of hexadecimal digits.
std::optional<std::string> decodeAccessCode(const std::string& stored);

// The level a typed code opens (0..3), nullopt when it matches none. Both sides are trimmed
// and upper-cased.
std::optional<int> levelFor(const std::string& expected, const std::string& typed);

struct AccessResult {
    bool accepted = false;
    int level = 0;
};

// What the password box needs from the window system: ask for the code (nullopt = Cancel).
class PasswordPrompt {
public:
    virtual ~PasswordPrompt() = default;
    virtual std::optional<std::string> ask(const std::string& title) = 0;
};

// FPassword.Verifica: reads the stored code (application, "Main", "Strumento"), asks for it
// unless it is empty, and tells "Wrong password" on a miss. A stored text that is not pairs of
// hexadecimal digits is taken as missing: the built-in code is asked for.
AccessResult Verifica(const std::string& title, const std::string& application,
                      const platform::SettingsStore& settings, PasswordPrompt& prompt,
                      platform::Dialogs& dialogs);

}  // namespace app
