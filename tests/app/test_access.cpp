// Access levels, without widgets.
#include <gtest/gtest.h>

#include "app/access.h"
#include "support/recording_dialogs.h"

using testing_support::RecordingDialogs;

namespace {

struct ScriptedPrompt final : app::PasswordPrompt {
    std::optional<std::string> answer;
    int asked = 0;
    std::optional<std::string> ask(const std::string&) override {
        ++asked;
        return answer;
    }
};

TEST(Access, LevelsFromTheTypedCode) {
    struct Case {
        std::string typed;
        std::optional<int> level;
    };
    const Case cases[] = {
        {"2718", 0},
        {"  2718 ", 0},
        {"2718TECNIC", 1},
        {"2718tecnic", 1},
        {"2718SVC", 2},
        {"2718SVCTECNIC", 3},
        {"2718 SVC", std::nullopt},
        {"TECNIC", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(app::levelFor("2718", c.typed), c.level) << c.typed;
}

TEST(Access, StoredCodeIsHexOfTheXoredCharacters) {
    EXPECT_EQ(app::encodeAccessCode("2718"), "686D6B62");  // '2' ^ 0x5A = 0x68 ...
    EXPECT_EQ(app::decodeAccessCode("686D6B62"), "2718");
    EXPECT_EQ(app::decodeAccessCode(app::encodeAccessCode("abc 9")), "abc 9");
    EXPECT_FALSE(app::decodeAccessCode("6G").has_value());
    EXPECT_FALSE(app::decodeAccessCode("686").has_value());
}

TEST(Access, VerificaAsksComparesAndTellsWrongPasswords) {
    platform::MemorySettingsStore settings;
    RecordingDialogs dialogs;
    ScriptedPrompt prompt;
    // The built-in seed when nothing is stored.
    prompt.answer = "2718svctecnic";
    auto r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.level, 3);
    // A stored code of its own.
    settings.setValue("krnsetup", "Main", "Strumento", app::encodeAccessCode(" 4455 "));
    prompt.answer = "4455TECNIC";
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_EQ(r.level, 1);
    prompt.answer = "2718";
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_FALSE(r.accepted);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Wrong password");
    EXPECT_EQ(dialogs.boxes[0].title, "Access password");
    EXPECT_EQ(dialogs.boxes[0].icon, platform::MessageIcon::Information);
    // Cancel: not accepted, nothing shown.
    prompt.answer.reset();
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    // An empty stored code opens at level 0 without asking.
    settings.setValue("krnsetup", "Main", "Strumento", "");
    prompt.asked = 0;
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.level, 0);
    EXPECT_EQ(prompt.asked, 0);
}

TEST(Access, StoredCodeThatDoesNotDecodeAsksForTheBuiltInCode) {
    platform::MemorySettingsStore settings;
    RecordingDialogs dialogs;
    ScriptedPrompt prompt;
    for (const char* damaged : {"6G6D6B62", "686D6B6", "zz"}) {
        settings.setValue("krnsetup", "Main", "Strumento", damaged);
        prompt.asked = 0;
        prompt.answer.reset();  // Cancel
        auto r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
        EXPECT_FALSE(r.accepted) << damaged;  // it used to open at level 0 without a question
        EXPECT_EQ(prompt.asked, 1) << damaged;
        prompt.answer = "2718tecnic";
        r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
        EXPECT_TRUE(r.accepted) << damaged;
        EXPECT_EQ(r.level, 1) << damaged;
    }
    EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
