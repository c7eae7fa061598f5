// krnctl's answers to the commands' questions: --yes says Yes, but a question that comes back
// again and again with nothing in between (a step that keeps failing) gets No after a few.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/console/console_dialogs.h"

namespace {

using platform::MessageButtons;
using platform::MessageResult;

TEST(ConsoleDialogs, ScriptedYesRepeatsAFailingStepAtMostThreeTimes) {
    std::istringstream in;
    std::ostringstream err;
    platform::console::ConsoleDialogs d(in, err, true, false);
    const auto ask = [&](const char* text) {
        return d.message({text, "", platform::MessageIcon::None, MessageButtons::YesNo, 0});
    };
    struct Step {
        const char* text;  // nullptr: the transfer went forward
        MessageResult answer;
    };
    const Step steps[] = {
        // Three repeats of the failing step, then No.
        {"Read errore, repeat?", MessageResult::Yes}, {"Read errore, repeat?", MessageResult::Yes},
        {"Read errore, repeat?", MessageResult::Yes}, {"Read errore, repeat?", MessageResult::No},
        {"Read errore, repeat?", MessageResult::No},  {nullptr, MessageResult::Ok},
        {"Read errore, repeat?", MessageResult::Yes}, {"Update firmware?", MessageResult::Yes},
        {"Read errore, repeat?", MessageResult::Yes},
    };
    int i = 0;
    for (const Step& s : steps) {
        if (s.text) {
            EXPECT_EQ(ask(s.text), s.answer) << "step " << i;
        } else {
            d.progressed();
        }
        ++i;
    }
    EXPECT_NE(err.str().find("(--yes: answered No after 3 repeats)"), std::string::npos);
}

}  // namespace
