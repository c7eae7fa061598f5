#pragma once
// The connection controller: connects the chosen instrument (with Retry), compares its clock,
// locks it, reports errors in their fixed texts, and turns transfers into the window's status
// text and progress bar. Written against interfaces so that it runs without widgets in tests.
#include <string>

#include "instrument/connection.h"
#include "instrument/uckrnvisual.h"
#include "platform/dialogs.h"

namespace app {

enum IdProcess : int {
    idProc_Format = 0,
    idProc_WriteOptions = 1,
    idProc_Init = 2,
    idProc_MemoryTest = 3,
    idProc_Clean = 4,
};

// What the controller asks of the main window.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void showStatus(const std::string& text) = 0;
    virtual void showProgress(long maximum) = 0;
    virtual void setProgress(long value) = 0;
    virtual void hideProgress() = 0;  // bar and status text
    virtual void processEvents() = 0;
    // The clock dialog on the connected instrument, modal.
    virtual void showClockDialog(instrument::UCKRNVisual& control) = 0;
};

class CMain {
public:
    CMain(platform::Dialogs& dialogs, MainView& view, platform::Clock& clock,
          platform::SerialPort* serial, platform::UdpSocket* socket)
        : dialogs_(dialogs), view_(view), clock_(clock), serial_(serial), socket_(socket) {}

    instrument::ErrPR Connect(instrument::UCKRNVisual& control, const std::string& description);
    void Disconnect(instrument::UCKRNVisual& control);
    void ShowErrorMsg(instrument::ErrPR code, const instrument::UCKRNVisual& control);

    // Transfers.
    void setStage(int stage) { stage_ = stage; }
    void StartTransfer(long total);
    // Returns the cancel flag ("stop").
    bool UpdateTransfer(long count);
    void StopTransfer(bool completed);
    void Annulla() { cancel_ = true; }
    bool Annullando() const { return cancel_; }
    void clearCancel() { cancel_ = false; }
    int progressScale() const { return scale_; }

    static int scaleFor(long total);
    static std::string stageText(int stage);

private:
    platform::Dialogs& dialogs_;
    MainView& view_;
    platform::Clock& clock_;
    platform::SerialPort* serial_;
    platform::UdpSocket* socket_;
    bool cancel_ = false;
    int scale_ = 1;
    long maximum_ = 0;
    int stage_ = -1;
};

}  // namespace app
