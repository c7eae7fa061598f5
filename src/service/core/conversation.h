#pragma once
// One conversation with the instrument for one command: it is opened in one of the two
// connection styles, locked for the transfer, and always ended with the closing sequence, also
// when the command fails, is cancelled or returns early.
#include <string>

#include "instrument/connection.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

class Conversation {
public:
    explicit Conversation(CommandHost& host) : host_(host) {}
    ~Conversation() { close(); }
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    // Style A: the controller connects (Retry box, clock check, press and keyboard lock). A
    // failure shows nothing more. Done when the instrument control is connected afterwards;
    // Refused when it would not lock its press.
    Outcome connect(const std::string& description);
    // Style B: the link is opened for the description, nothing locked. A failure shows
    // "Communication error" and a line break.
    Outcome open(const std::string& description);
    // The link the control holds already, for a command that opens none of its own: Done when
    // it is open, and the conversation then ends it like one it opened.
    Outcome adopt();
    // The transfer lock (skipped in update mode): press, then keyboard, with their boxes.
    Outcome lock();

    // The closing sequence, once: keyboard and press unlocked when a lock was attempted, then
    // the conversation ended and the link closed.
    void close();

    bool opened() const { return opened_; }
    // The controller's result code of the last connect (errPR_Comm when the link did not open).
    instrument::ErrPR codice() const { return code_; }
    instrument::UCKRNVisual& control() { return host_.control(); }

private:
    CommandHost& host_;
    bool opened_ = false;
    bool lockAttempted_ = false;
    instrument::ErrPR code_ = instrument::errPR_OK;
};

// The selection dialog titled "Select instrument" with all its options off; nothing when the
// technician cancelled.
std::optional<std::string> selectInstrument(CommandHost& host);

}  // namespace service
