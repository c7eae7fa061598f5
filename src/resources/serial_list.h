#pragma once
// The serial-number list of the production stations: a rich-text file with one line per
// programmed instrument ("QX300125  KRN-Visual          06/12/2026  Magazzino Varnolide").
// Several stations may share the file on a network folder: an assignment holds a lock file
// beside the list from reading the last number to saving its line.
#include <optional>
#include <string>
#include <vector>

#include "backup/memory_files.h"
#include "platform/clock.h"
#include "platform/settings_store.h"

namespace resources {

inline constexpr const char* kSerialListApplication = "SetupPrograms";
inline constexpr const char* kSerialListKey = "FileSN";
inline constexpr const char* kSerialListDefault = "SNlist.txt";
inline constexpr const char* kSerialListFont = "Courier New";
// The program's own settings, where "LastSerialNumber" + type is kept.
inline constexpr const char* kProgramSettings = "krnsetup";

// The list file: the settings value (application "SetupPrograms", "Main", "FileSN"), or
// "SNlist.txt" in the program folder when it is empty.
std::string serialListPath(const platform::SettingsStore& settings,
                           const std::string& programFolder);

// "File not found" with the line that tells where the path is set.
std::string serialListMissingText();
// The question krnsetup asks after "File not found": whether to create an empty list there.
std::string serialListCreateQuestion(const std::string& path);
// Creates an empty list (a rich-text document without paragraphs) where no file is yet; false
// when a file of that name exists or it cannot be written.
bool createSerialList(const std::string& path);

// The paragraphs of the list (UTF-8); nothing when the file cannot be read, when it is not a
// rich-text document (plain or UTF-16 text, random bytes: its numbers cannot be read, and one of
// them would be given again) or when it is broken (a list cut short has lost its last numbers):
// problem, when given, then names the line (it stays 0 for a missing file).
std::optional<std::vector<std::string>> readSerialList(const std::string& path,
                                                       backup::FileProblem* problem = nullptr);
// The box for a list that readSerialList refused: "File not found" ... for a missing one, the
// line at fault for a broken one.
std::string serialListRefusedText(const std::string& path, const backup::FileProblem& problem);
bool writeSerialList(const std::string& path, const std::vector<std::string>& lines);

// The largest serial number in the lines (after "QX" and the type digit, or after "QX" in lines
// of the older form "3QX00125"); nothing when no line has one.
std::optional<long> lastSerialNumber(const std::vector<std::string>& lines);
// The number the list proposes: the last one + 1, or the settings value "LastSerialNumber" +
// type (in the program's own settings) + 1 when the list holds none.
long proposedSerialNumber(const std::vector<std::string>& lines,
                          const platform::SettingsStore& settings, const std::string& application,
                          int type);

// "QX", the type digit and the number with at least five digits: 125 of type 3 is "QX300125",
// which the selection's "QX3" filter finds.
std::string serialText(int type, long number);
// The largest number a serial text of eight characters holds.
inline constexpr long kLastSerialNumber = 99999;
// When the number the list proposes no longer fits a serial text: the message that the type's
// numbers are used up.
std::optional<std::string> serialNumbersUsedUp(int type, long proposed);
// Serial number, two blanks, name padded to 20 characters (characters, not bytes), the date
// "dd/mm/yyyy", two blanks, the user text.
std::string serialListLine(const std::string& serial, const std::string& name,
                           const platform::LocalDateTime& date, const std::string& user);

// Default texts of the name and user fields by device type.
std::string defaultInstrumentName(int type);
std::string defaultUserText(int type);

// What the program button checks, in order: the message that refuses the fields, or nothing.
// The name's length counts characters.
std::optional<std::string> serialFieldsError(const std::string& numberText, int type,
                                             const std::string& name);

// The lock file beside the list. Taken with exclusive creation, so that it also works between
// computers on a shared folder; it holds "host process-id". A lock left by a process of this
// computer that no longer runs is taken over (takeOverNotice says so); another computer's lock
// is always respected.
class SerialListLock {
public:
    SerialListLock(std::string listPath, platform::Clock& clock)
        : path_(std::move(listPath) + ".lock"), clock_(clock) {}
    ~SerialListLock() { release(); }
    SerialListLock(const SerialListLock&) = delete;
    SerialListLock& operator=(const SerialListLock&) = delete;

    // Tries until the timeout; false when another station kept it.
    bool acquire(platform::Duration timeout);
    void release();
    const std::string& path() const { return path_; }
    // The line that tells a stale lock was taken over; empty when none was.
    const std::string& takeOverNotice() const { return notice_; }
    // The box when another station kept the lock, naming it.
    std::string busyText() const;

private:
    bool takeOverStale();

    std::string path_;
    platform::Clock& clock_;
    bool held_ = false;
    std::string holder_;  // "host pid" of the lock found last
    std::string notice_;
};

// The box when another station holds the list: holder is the lock's "host process-id".
std::string serialListBusyText(const std::string& lockPath, const std::string& holder);

struct SerialAssignment {
    long number = 0;
    std::string serial;
    std::string name;
};

// The technician's edit of the list in the dialog: the lines it loaded, and the lines it shows.
struct SerialListEdit {
    std::vector<std::string> loaded;
    std::vector<std::string> edited;
};

// The list the dialog saves: the edited lines, then every line another station added to the file
// since the dialog loaded it (the lines of current beyond those of loaded, in their order), so
// that no number given meanwhile is lost and given again.
std::vector<std::string> mergeSerialList(const SerialListEdit& edit,
                                         const std::vector<std::string>& current);

struct AssignRequest {
    int type = 3;
    // The number in the field; nothing: the next free number.
    std::optional<long> number;
    // The number the dialog proposed when it opened: when it was taken meanwhile by another
    // station, the next free number is used instead.
    std::optional<long> proposed;
    std::string name;
    std::string user;
    // The dialog's edit of the list, merged with the file before the line is appended.
    std::optional<SerialListEdit> edit;
};

struct AssignResult {
    std::optional<SerialAssignment> assignment;
    std::string error;    // the message when nothing was assigned
    std::string notice;   // a line to show first (a stale lock taken over)
    bool usedUp = false;  // refused because the type's numbers are used up
};

// Under the lock: re-reads the list, merges the dialog's edit, picks the number (never one
// already in the list), appends the line, saves the list and stores the number under
// "LastSerialNumber" + type.
AssignResult assignSerialNumber(const std::string& listPath, platform::SettingsStore& settings,
                                const std::string& application, platform::Clock& clock,
                                const AssignRequest& request, platform::Duration lockTimeout);

struct SaveResult {
    bool saved = false;
    std::string error;     // the message when nothing was saved
    std::string notice;    // a line to show first (a stale lock taken over)
    std::size_t kept = 0;  // lines of other stations kept beside the edit
};

// The dialog's close button: under the lock, re-reads the list and saves the merged edit.
SaveResult saveSerialListEdit(const std::string& listPath, platform::Clock& clock,
                              const SerialListEdit& edit, platform::Duration lockTimeout);

}  // namespace resources
