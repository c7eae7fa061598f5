// Access levels, without widgets.
#include <gtest/gtest.h>

#include "app/access.h"
#include "support/recording_dialogs.h"

namespace {

struct ScriptedPrompt final : app::PasswordPrompt {
    std::optional<std::string> answer;
    int asked = 0;
    std::optional<std::string> ask(const std::string&) override { return ++asked, answer; }
};

// The typed code against the seed "2718" (the sessions below type more of them).
TEST(Access, LevelsFromTheTypedCode) {
    const std::pair<std::string, std::optional<int>> cases[] = {
        {"  2718 ", 0}, {"2718SVC", 2}, {"2718 SVC", std::nullopt}, {"TECNIC", std::nullopt}};
    for (const auto& [typed, level] : cases)
        EXPECT_EQ(app::levelFor("2718", typed), level) << typed;
}

TEST(Access, StoredCodeIsHexOfTheXoredCharacters) {
    EXPECT_EQ(app::encodeAccessCode("2718"), "686D6B62");  // '2' ^ 0x5A = 0x68 ...
    EXPECT_EQ(app::decodeAccessCode("686D6B62"), "2718");
    EXPECT_EQ(app::decodeAccessCode(app::encodeAccessCode("abc 9")), "abc 9");
    EXPECT_FALSE(app::decodeAccessCode("6G").has_value());
    EXPECT_FALSE(app::decodeAccessCode("686").has_value());
}

// One session after another on the same settings: the code stored before it (none: as it
// stands), what is typed (none: Cancel), the level given (-1: refused), the questions asked and
// the boxes shown so far.
TEST(Access, VerificaAsksComparesAndTellsWrongPasswords) {
    platform::MemorySettingsStore settings;
    testing_support::RecordingDialogs dialogs;
    ScriptedPrompt prompt;
    const std::string own = app::encodeAccessCode(" 4455 ");
    const struct {
        const char* stored;
        std::optional<std::string> typed;
        int level, asked;
        std::size_t boxes;
    } sessions[] = {
        {nullptr, "2718svctecnic", 3, 1, 0},  // the built-in seed when nothing is stored
        {own.c_str(), "4455TECNIC", 1, 1, 0},
        {nullptr, "2718", -1, 1, 1},        // "Wrong password"
        {nullptr, std::nullopt, -1, 1, 1},  // Cancel: nothing shown
        {"", "2718", 0, 0, 1},              // an empty code opens at level 0 without asking
        // A stored code that does not decode asks for the built-in code (it used to open at
        // level 0 without a question).
        {"6G6D6B62", std::nullopt, -1, 1, 1},
        {nullptr, "2718tecnic", 1, 1, 1},
    };
    for (const auto& c : sessions) {
        if (c.stored) settings.setValue("krnsetup", "Main", "Strumento", c.stored);
        prompt.asked = 0;
        prompt.answer = c.typed;
        const auto r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
        EXPECT_EQ(std::tuple(r.accepted ? r.level : -1, prompt.asked, dialogs.boxes.size()),
                  std::tuple(c.level, c.asked, c.boxes))
            << c.typed.value_or("Cancel");
    }
    EXPECT_EQ(std::tuple(dialogs.boxes[0].text, dialogs.boxes[0].title, dialogs.boxes[0].icon),
              std::tuple("Wrong password", "Access password", platform::MessageIcon::Information));
}

}  // namespace
