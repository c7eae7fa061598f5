#pragma once
// The boxes of the commands on a terminal: messages go to stderr; questions are answered Yes
// by --yes, at a prompt when stdin is a terminal, and No otherwise.
#include <iosfwd>
#include <string>

#include "platform/dialogs.h"

namespace platform::console {

class ConsoleDialogs final : public Dialogs {
public:
    ConsoleDialogs(std::istream& in, std::ostream& err, bool assumeYes, bool interactive)
        : in_(in), err_(err), assumeYes_(assumeYes), interactive_(interactive) {}

    MessageResult message(const MessageBox& box) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& suggested,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;

    // How often --yes answers Yes to a question asked again with nothing between (no other
    // box, no progress): a script repeats a failing step this many times, then answers No.
    static constexpr int kScriptRepeats = 3;
    // A transfer went forward: the next question starts a new count.
    void progressed() { lastQuestion_.clear(); }

private:
    std::optional<std::string> ask(const std::string& prompt);
    std::istream& in_;
    std::ostream& err_;
    bool assumeYes_;
    bool interactive_;
    std::string lastQuestion_;
    int repeats_ = 0;
};

}  // namespace platform::console
