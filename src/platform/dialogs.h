#pragma once
// The boxes the commands show the technician. The desktop program draws them with Qt widgets;
// the command line answers them from its flags or at a terminal prompt.
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class MessageIcon { None, Information, Question, Exclamation, Critical };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageResult { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct MessageBox {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    int defaultButton = 0;  // 0 = first button
    // A second text under the box's own words (the instrument a question is about).
    std::string informative = {};
};

struct FileFilter {
    std::string description;            // "Backup files"
    std::vector<std::string> patterns;  // "*.ini"
};

struct FontChoice {
    std::string family;
    int pointSize = 0;
    bool bold = false;
    bool italic = false;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MessageResult message(const MessageBox& box) = 0;
    // An empty answer counts as cancel (nullopt).
    virtual std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                             const std::string& initial) = 0;
    virtual std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                                const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> saveFile(const std::string& title,
                                                const std::string& suggested,
                                                const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& initial) = 0;
};

// Progress of a long transfer and the technician's wish to stop it. The window and krnctl each
// implement it; the core asks it at least every 256 bytes.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void start(long total) = 0;
    // Returns false when the technician asked to stop.
    virtual bool update(long done) = 0;
    virtual void stop(bool ok) = 0;
};

class NoProgress final : public Progress {
public:
    void start(long) override {}
    bool update(long) override { return true; }
    void stop(bool) override {}
};

}  // namespace platform
