#include "platform/console/console_dialogs.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <string>

namespace platform::console {
namespace {

bool isQuestion(MessageButtons b) {
    return b != MessageButtons::Ok;
}

// What a box answers when nobody is there to answer it: the negative choice.
MessageResult negative(MessageButtons b) {
    switch (b) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageResult::No;
        case MessageButtons::AbortRetryIgnore:
            return MessageResult::Abort;
        default:
            return MessageResult::Cancel;
    }
}

MessageResult positive(MessageButtons b) {
    switch (b) {
        case MessageButtons::OkCancel:
            return MessageResult::Ok;
        case MessageButtons::RetryCancel:
            return MessageResult::Retry;
        case MessageButtons::AbortRetryIgnore:
            return MessageResult::Retry;
        default:
            return MessageResult::Yes;
    }
}

}  // namespace

std::optional<std::string> ConsoleDialogs::ask(const std::string& prompt) {
    if (!interactive_) return std::nullopt;
    err_ << prompt << std::flush;
    std::string line;
    if (!std::getline(in_, line)) return std::nullopt;
    return line;
}

MessageResult ConsoleDialogs::message(const MessageBox& box) {
    // A box's closing line breaks are its layout; on a terminal each message is one line block.
    std::string text = box.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    err_ << text << std::endl;
    if (!isQuestion(box.buttons)) {
        lastQuestion_.clear();
        return MessageResult::Ok;
    }
    repeats_ = text == lastQuestion_ ? repeats_ + 1 : 0;
    lastQuestion_ = text;
    // --yes answers questions, but never retries a failed link on its own: a script would wait
    // for ever on an instrument that is not there. For the same reason its Yes to a question
    // that comes again and again (a step that keeps failing) turns into No.
    if (assumeYes_ && box.buttons != MessageButtons::RetryCancel) {
        if (repeats_ < kScriptRepeats) return positive(box.buttons);
        err_ << "(--yes: answered No after " << kScriptRepeats << " repeats)" << std::endl;
        return negative(box.buttons);
    }
    auto answer = ask("[y/N] ");
    if (answer && !answer->empty() && std::tolower(static_cast<unsigned char>((*answer)[0])) == 'y')
        return positive(box.buttons);
    return negative(box.buttons);
}

std::optional<std::string> ConsoleDialogs::input(const std::string& prompt, const std::string&,
                                                 const std::string& initial) {
    auto answer = ask(prompt + (initial.empty() ? "" : " [" + initial + "]") + ": ");
    if (!answer) return std::nullopt;
    if (answer->empty()) answer = initial;
    if (answer->empty()) return std::nullopt;
    return answer;
}

std::optional<std::string> ConsoleDialogs::openFile(const std::string& title, const std::string&,
                                                    const std::vector<FileFilter>&) {
    return input(title, title, "");
}

std::optional<std::string> ConsoleDialogs::saveFile(const std::string& title,
                                                    const std::string& suggested,
                                                    const std::vector<FileFilter>&) {
    return input(title, title, suggested);
}

std::optional<FontChoice> ConsoleDialogs::chooseFont(const FontChoice&) {
    return std::nullopt;
}

}  // namespace platform::console
