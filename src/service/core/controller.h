#pragma once
// CMain, the connection controller: connects the chosen instrument (with Retry), compares its
// clock, locks it, reports errors in their fixed texts, and turns transfers into the status text
// and the progress bar. It is the progress every long transfer reports to, with the cancel flag.
#include <string>

#include "instrument/connection.h"
#include "platform/dialogs.h"
#include "service/core/command_host.h"

namespace service {

enum IdProcess : int {
    idProc_Format = 0,
    idProc_WriteOptions = 1,
    idProc_Init = 2,
    idProc_MemoryTest = 3,
    idProc_Clean = 4,
};

// What a transfer's count counts: bytes (the bar can show them with the rate), a percentage, or
// steps of another kind (cycles of the memory test, seconds).
enum class TransferUnit { Bytes, Percent, Steps };

class CMain final : public platform::Progress {
public:
    explicit CMain(CommandHost& host) : host_(host) {}

    // Opens the link for the description with Retry, checks the clock, locks press and keyboard.
    instrument::ErrPR Connect(const std::string& description);
    // Unlocks keyboard and press, ends the conversation, closes the link; results ignored.
    void Disconnect();
    void ShowErrorMsg(instrument::ErrPR code);

    // Transfers.
    void setStage(int stage) { stage_ = stage; }
    void StartTransfer(long total, TransferUnit unit = TransferUnit::Bytes);
    // Returns the cancel flag ("stop"). The bar only moves forwards: a count below the one shown
    // leaves it where it is.
    bool UpdateTransfer(long count);
    void StopTransfer(bool completed);
    void Annulla() { cancel_ = true; }
    bool Annullando() const { return cancel_; }
    // Every command starts with the flag down: a Cancel belongs to the command it was given in.
    void clearCancel() { cancel_ = false; }
    int progressScale() const { return scale_; }
    TransferUnit progressUnit() const { return unit_; }
    // The bytes one step of the bar stands for in the running transfer; 0 when it counts no
    // bytes (a percentage, cycles, seconds).
    long bytesPerStep() const { return unit_ == TransferUnit::Bytes ? scale_ : 0; }

    // The transfer counter: bytes sent in the current step of an NVRAM send.
    long transferCount() const { return transferred_; }
    void setTransferCount(long n) { transferred_ = n; }

    static int scaleFor(long total);
    static std::string stageText(int stage);

    // platform::Progress
    // The core's own progress (the image build) counts in percent.
    void start(long total) override { StartTransfer(total, TransferUnit::Percent); }
    bool update(long done) override { return !UpdateTransfer(done); }
    void stop(bool ok) override { StopTransfer(ok); }

private:
    CommandHost& host_;
    bool cancel_ = false;
    int scale_ = 1;
    TransferUnit unit_ = TransferUnit::Bytes;
    long maximum_ = 0;
    long shown_ = 0;  // the bar's position: it never moves back within a transfer
    int stage_ = -1;
    long transferred_ = 0;
};

// The box of a result code; nothing for errPR_OK.
std::optional<platform::MessageBox> errorBox(instrument::ErrPR code,
                                             const instrument::UCKRNVisual& control);

}  // namespace service
