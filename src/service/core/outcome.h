#pragma once
// How a command ended. The desktop program has shown its boxes already; krnctl turns the outcome
// into its exit code.
namespace service {

enum class Outcome {
    Done,    // the command did what was asked (or the technician chose to leave things as they are)
    Failed,  // the instrument or the link failed
    Cancelled,  // the technician cancelled (a Cancel button, Ctrl-C, no instrument chosen)
    Refused,    // the instrument cannot do it, or would not be locked
    FileError,  // a file could not be read or written, or was refused as malformed
};

}  // namespace service
