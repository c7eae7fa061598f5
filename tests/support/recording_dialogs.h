#pragma once
// Dialogs that record every box and answer with what the test queued (default: the first button).
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace testing_support {

class RecordingDialogs final : public platform::Dialogs {
public:
    platform::MessageResult message(const platform::MessageBox& box) override {
        boxes.push_back(box);
        if (answers.empty()) return platform::MessageResult::Ok;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> input(const std::string& prompt, const std::string&,
                                     const std::string&) override {
        prompts.push_back(prompt);
        if (onPrompt) onPrompt(prompt);
        if (inputs.empty()) return std::nullopt;
        auto a = inputs.front();
        inputs.pop_front();
        return a;
    }
    std::optional<std::string> openFile(const std::string& title, const std::string&,
                                        const std::vector<platform::FileFilter>&) override {
        return nextFile(title);
    }
    std::optional<std::string> saveFile(const std::string& title, const std::string& suggested,
                                        const std::vector<platform::FileFilter>&) override {
        suggestedFiles.push_back(suggested);
        return nextFile(title);
    }
    // File dialogs: their titles, and the answers queued (none: cancelled).
    std::optional<std::string> nextFile(const std::string& title) {
        fileTitles.push_back(title);
        if (files.empty()) return std::nullopt;
        auto a = files.front();
        files.pop_front();
        return a;
    }
    std::deque<std::optional<std::string>> files;
    std::vector<std::string> fileTitles;
    std::vector<std::string> suggestedFiles;
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice&) override {
        return std::nullopt;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& b : boxes) t.push_back(b.text);
        return t;
    }

    std::vector<platform::MessageBox> boxes;
    std::deque<platform::MessageResult> answers;
    std::vector<std::string> prompts;
    std::deque<std::optional<std::string>> inputs;
    std::function<void(const std::string&)> onPrompt;  // called as each input box opens
};

}  // namespace testing_support
