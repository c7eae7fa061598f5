#pragma once
// The activity log of the desktop program: one line per command with its time, the command, the
// instrument, the result and the messages shown. The lines are kept in the program folder, one
// plain-text file per day ("activity-2026-12-06.txt"), so that a support call can be answered
// from them; each session's first line in a file is preceded by the version ("# krnsetup 1.0.0").
// No Qt.
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "service/core/outcome.h"

namespace app {

struct ActivityEntry {
    platform::LocalDateTime time;
    std::string command;     // the menu caption without its mnemonic: "Clock..."
    std::string instrument;  // the description and, when known, the name; empty: none chosen
    service::Outcome result = service::Outcome::Done;
    std::string message;  // the boxes shown, in order
};

// "Done", "Failed", "Cancelled", "Refused", "File error".
std::string resultText(service::Outcome outcome);
// "2026-12-06 09:41:05 | Clock... | USB: QX3SIM0001 (KRN-41) | Done | No clock"; line breaks in
// the fields become blanks, an empty field is "-".
std::string formatLine(const ActivityEntry& entry);
// "activity-2026-12-06.txt"
std::string dailyFileName(const platform::LocalDateTime& day);

class ActivityLog {
public:
    explicit ActivityLog(std::string folder) : folder_(std::move(folder)) {}
    // Keeps the line and appends it to the day's file; false when the file could not be written
    // (the line is kept all the same).
    bool add(const ActivityEntry& entry);
    const std::vector<std::string>& lines() const { return lines_; }
    std::string fileFor(const platform::LocalDateTime& day) const;

private:
    std::string folder_;
    std::vector<std::string> lines_;
    std::string versionNotedIn_;  // the file this session's version line went into
};

// Passes every box to the dialogs it wraps and remembers the texts of the messages shown since
// the last take(), so that the log can say what the technician was told.
class MessageRecorder final : public platform::Dialogs {
public:
    explicit MessageRecorder(platform::Dialogs& inner) : inner_(inner) {}
    // The texts shown since the last call, joined with " / "; forgets them.
    std::string take();

    platform::MessageResult message(const platform::MessageBox& box) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override {
        return inner_.input(prompt, title, initial);
    }
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<platform::FileFilter>& filters) override {
        return inner_.openFile(title, folder, filters);
    }
    std::optional<std::string> saveFile(const std::string& title, const std::string& suggested,
                                        const std::vector<platform::FileFilter>& filters) override {
        return inner_.saveFile(title, suggested, filters);
    }
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice& initial) override {
        return inner_.chooseFont(initial);
    }

private:
    platform::Dialogs& inner_;
    std::vector<std::string> shown_;
};

}  // namespace app
