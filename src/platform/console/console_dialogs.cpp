#include "platform/console/console_dialogs.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace platform::console {
namespace {

struct Choice {
    char key;
    MessageResult result;
};

// The buttons of a box as the letters a terminal answers with, in the box's order.
std::vector<Choice> choices(MessageButtons b) {
    switch (b) {
        case MessageButtons::YesNo:
            return {{'y', MessageResult::Yes}, {'n', MessageResult::No}};
        case MessageButtons::YesNoCancel:
            return {
                {'y', MessageResult::Yes}, {'n', MessageResult::No}, {'c', MessageResult::Cancel}};
        case MessageButtons::OkCancel:
            return {{'o', MessageResult::Ok}, {'c', MessageResult::Cancel}};
        case MessageButtons::RetryCancel:
            return {{'r', MessageResult::Retry}, {'c', MessageResult::Cancel}};
        case MessageButtons::AbortRetryIgnore:
            return {{'a', MessageResult::Abort},
                    {'r', MessageResult::Retry},
                    {'i', MessageResult::Ignore}};
        case MessageButtons::Ok:
            break;
    }
    return {{'o', MessageResult::Ok}};
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

// The box closed without an answer (end of input): its Cancel where it has one.
MessageResult closed(MessageButtons b) {
    for (const Choice& c : choices(b))
        if (c.result == MessageResult::Cancel) return c.result;
    return negative(b);
}

MessageResult positive(MessageButtons b) {
    return choices(b).front().key == 'a' ? MessageResult::Retry : choices(b).front().result;
}

bool isQuestion(MessageButtons b) {
    return b != MessageButtons::Ok;
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
    if (!interactive_) return negative(box.buttons);
    // The box's own buttons, its preselected one in capitals: Enter answers with that one.
    const std::vector<Choice> keys = choices(box.buttons);
    const std::size_t preselected =
        box.defaultButton >= 0 && static_cast<std::size_t>(box.defaultButton) < keys.size()
            ? static_cast<std::size_t>(box.defaultButton)
            : 0;
    std::string prompt = "[";
    for (std::size_t i = 0; i < keys.size(); ++i)
        prompt += std::string(i ? "/" : "") +
                  static_cast<char>(i == preselected ? std::toupper(keys[i].key) : keys[i].key);
    prompt += "] ";
    while (true) {
        const auto answer = ask(prompt);
        if (!answer) return closed(box.buttons);
        if (answer->empty()) return keys[preselected].result;
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>((*answer)[0])));
        for (const Choice& k : keys)
            if (k.key == c) return k.result;
    }
}

std::optional<std::string> ConsoleDialogs::input(const std::string& prompt, const std::string&,
                                                 const std::string& initial) {
    // As in the box: the value it proposes must be given to be taken, and an empty answer is
    // Cancel.
    auto answer = ask(prompt + (initial.empty() ? "" : " [" + initial + "; empty cancels]") + ": ");
    if (!answer || answer->empty()) return std::nullopt;
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
