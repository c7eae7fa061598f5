// The boxes on a terminal: each question shows its own buttons with the preselected one in
// capitals, Enter takes that one, c is Cancel, end of input closes the box; an empty answer to an
// input box is Cancel. --yes says Yes, but a question that comes back again and again with
// nothing in between (a step that keeps failing) gets No after a few.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/console/console_dialogs.h"

namespace {

using platform::MessageButtons;
using platform::MessageResult;
using platform::console::ConsoleDialogs;

struct Question {
    MessageButtons buttons;
    int defaultButton;
    std::string typed;  // what the technician types, line by line
    bool interactive;
    bool yes;
    std::string prompt;  // the last prompt shown
    MessageResult answer;
};

TEST(ConsoleDialogs, QuestionsShowAndTakeTheBoxsOwnDefault) {
    const Question cases[] = {
        {MessageButtons::YesNoCancel, 0, "\n", true, false, "[Y/n/c] ", MessageResult::Yes},
        {MessageButtons::YesNoCancel, 1, "\n", true, false, "[y/N/c] ", MessageResult::No},
        {MessageButtons::YesNoCancel, 0, "c\n", true, false, "[Y/n/c] ", MessageResult::Cancel},
        {MessageButtons::YesNoCancel, 1, "Yes\n", true, false, "[y/N/c] ", MessageResult::Yes},
        // A letter that is no button asks again.
        {MessageButtons::YesNoCancel, 0, "x\nn\n", true, false, "[Y/n/c] ", MessageResult::No},
        // End of input closes the box: Cancel where it has one, else No.
        {MessageButtons::YesNoCancel, 0, "", true, false, "[Y/n/c] ", MessageResult::Cancel},
        {MessageButtons::YesNo, 0, "", true, false, "[Y/n] ", MessageResult::No},
        {MessageButtons::YesNo, 1, "\n", true, false, "[y/N] ", MessageResult::No},
        {MessageButtons::OkCancel, 0, "\n", true, false, "[O/c] ", MessageResult::Ok},
        {MessageButtons::RetryCancel, 1, "r\n", true, false, "[r/C] ", MessageResult::Retry},
        // Without a terminal a question is No; --yes answers Yes but never retries a link.
        {MessageButtons::YesNoCancel, 0, "\n", false, false, "", MessageResult::No},
        {MessageButtons::YesNoCancel, 1, "", false, true, "", MessageResult::Yes},
        {MessageButtons::RetryCancel, 0, "", false, true, "", MessageResult::Cancel},
    };
    for (const Question& q : cases) {
        std::istringstream in(q.typed);
        std::ostringstream err;
        ConsoleDialogs dialogs(in, err, q.yes, q.interactive);
        const MessageResult a =
            dialogs.message({"Is it a Vessaline press?\n", "", platform::MessageIcon::Question,
                             q.buttons, q.defaultButton});
        EXPECT_EQ(a, q.answer) << q.prompt << " typed " << q.typed;
        const std::string shown = err.str();
        EXPECT_EQ(shown.rfind("Is it a Vessaline press?\n", 0), 0u) << shown;
        EXPECT_EQ(shown.substr(shown.size() - q.prompt.size()), q.prompt) << shown;
    }
}

TEST(ConsoleDialogs, AnEmptyInputIsCancelAndTheProposalMustBeTyped) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\n", std::nullopt}, {"", std::nullopt}, {"2\n", "2"}, {"3\n", "3"}};
    for (const auto& [typed, answer] : cases) {
        std::istringstream in(typed);
        std::ostringstream err;
        ConsoleDialogs dialogs(in, err, false, true);
        EXPECT_EQ(dialogs.input("Insert number of red box for pieces", "", "2"), answer);
        EXPECT_EQ(err.str(), "Insert number of red box for pieces [2; empty cancels]: ");
    }
}

TEST(ConsoleDialogs, ScriptedYesRepeatsAFailingStepAtMostThreeTimes) {
    std::istringstream in;
    std::ostringstream err;
    platform::console::ConsoleDialogs d(in, err, true, false);
    const auto ask = [&](const char* text) {
        return d.message({text, "", platform::MessageIcon::None, MessageButtons::YesNo, 0});
    };
    // Three repeats of the failing step, then No until the transfer goes forward (nullptr).
    const std::pair<const char*, MessageResult> steps[] = {
        {"Read errore, repeat?", MessageResult::Yes},
        {"Read errore, repeat?", MessageResult::Yes},
        {"Read errore, repeat?", MessageResult::Yes},
        {"Read errore, repeat?", MessageResult::No},
        {nullptr, MessageResult::Ok},
        {"Read errore, repeat?", MessageResult::Yes},
        {"Update firmware?", MessageResult::Yes},
        {"Read errore, repeat?", MessageResult::Yes},
    };
    for (const auto& [text, answer] : steps)
        EXPECT_EQ(text ? ask(text) : (d.progressed(), MessageResult::Ok), answer);
    EXPECT_NE(err.str().find("(--yes: answered No after 3 repeats)"), std::string::npos);
}

}  // namespace
