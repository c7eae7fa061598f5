#pragma once
// How a backup, restore or backup comparison ended, with the text to show. The desktop program
// and krnctl show the same text; krnctl maps the outcome to its exit code.
#include <cstdint>
#include <string>

namespace backup {

enum class Outcome {
    Done,
    Refused,              // the instrument or the file is not one the procedure takes
    FileError,            // a file could not be read or written, or is malformed
    CommunicationFailed,  // an exchange with the instrument failed
    Cancelled,            // the technician stopped it
};

struct Result {
    Outcome outcome = Outcome::Done;
    std::string message;    // the text to show
    std::string key;        // a malformed file: the key refused
    std::int32_t line = 0;  // ... and its line (1-based)

    bool ok() const { return outcome == Outcome::Done; }
    explicit operator bool() const { return ok(); }
    // 0 done, 1 instrument or link failed, 3 refused or cancelled, 4 file not read, not written
    // or malformed.
    int exitCode() const;
};

inline Result done(std::string message = {}) {
    return {Outcome::Done, std::move(message), {}, 0};
}
inline Result refused(std::string message) {
    return {Outcome::Refused, std::move(message), {}, 0};
}
inline Result fileError(std::string message) {
    return {Outcome::FileError, std::move(message), {}, 0};
}
inline Result communicationFailed(std::string message) {
    return {Outcome::CommunicationFailed, std::move(message), {}, 0};
}
inline Result cancelled(std::string message) {
    return {Outcome::Cancelled, std::move(message), {}, 0};
}

}  // namespace backup
