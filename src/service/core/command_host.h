#pragma once
// What a command needs from the program that runs it. The desktop program answers with its
// windows and dialogs; krnctl with its options, the terminal and stderr. The commands themselves
// are written once, against this interface.
#include <optional>
#include <string>
#include <vector>

#include "instrument/uckrnvisual.h"
#include "link/selection.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/udp_socket.h"
#include "platform/usb_bridge.h"
#include "provisioning/profilo.h"
#include "resources/serial_list.h"
#include "service/core/outcome.h"

namespace service {

class CMain;

// Where a transfer's status text and progress bar are drawn.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void showStatus(const std::string& text) = 0;
    virtual void showProgress(long maximum) = 0;
    virtual void setProgress(long value) = 0;
    virtual void hideProgress() = 0;  // bar and status text
    // Lets the window repaint and take a Cancel; krnctl looks for Ctrl-C here.
    virtual void processEvents() = 0;
};

class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual platform::Dialogs& dialogs() = 0;
    virtual platform::Clock& clock() = 0;
    virtual platform::SettingsStore& settings() = 0;
    // The folder of the tool's data files and default output files.
    virtual const std::string& programFolder() = 0;

    // The main instrument control and the channels it is handed (the window's serial port and
    // socket), and the USB bridge for the commands that talk to the chip directly.
    virtual instrument::UCKRNVisual& control() = 0;
    virtual platform::SerialPort* serialPort() = 0;
    virtual platform::UdpSocket* socket() = 0;
    virtual platform::UsbBridge& usb() = 0;

    // The connection controller: connect, error boxes, transfer progress and the cancel flag.
    virtual CMain& controller() = 0;
    virtual ProgressView& progressView() = 0;

    // The instrument selection: a description ("USB: ...", "COM: ...", "IP: host:port"), or
    // nothing when the technician cancelled.
    virtual std::optional<std::string> selectInstrument(
        const std::string& title, const krnlink::SelectionOptions& options) = 0;

    // Whether the level shows the screen-copy entry (menu flag L); the Ethernet set-up then shows
    // its wiring hint first.
    virtual bool screenCopyVisible() = 0;

    // --- the windows that are more than boxes ---
    // Every program that runs commands says what each of them does there: none has a default,
    // so that a new front end cannot format an instrument with a profile nobody was shown.

    // A folder shown to the technician: the desktop program opens it in the file manager,
    // krnctl prints it. False when it could not be shown.
    virtual bool showFolder(const std::string& path) = 0;
    // The clock dialog on the connected instrument, modal.
    virtual void showClockDialog(instrument::UCKRNVisual& control) = 0;
    // The communication test's dialog, which repeats `communicationAttempt` until closed.
    virtual void showCommunicationTest(const std::string& description) = 0;
    // The language choice (FLingua): an index 0..5 of the language table, or nothing when the
    // technician closed it. availability: only the languages whose display-text file is complete.
    virtual std::optional<int> chooseLanguage(const std::string& title, bool availability) = 0;
    // The font builder's dialog, modal.
    virtual void showFontBuilder() = 0;
    // The screen copy's dialog (FCopiaDisplay), modal, with its own instrument control and
    // channels; menuMode: only the bottom rows of the menu layer.
    virtual void showScreenCopy(const std::string& description, bool menuMode) = 0;
    // FSetupEth ("Ethernet communication settings") for the module with this MAC address, modal;
    // how it ended.
    virtual Outcome showEthernetSetup(const std::string& mac) = 0;
    // FListaSN, the serial-number list: type 0 shows it for editing; type 3 or 4 proposes the
    // next number and returns the assignment made with the program button (nothing when the
    // technician closed the list). service::serialListOnBoxes asks the same on input boxes.
    virtual std::optional<resources::SerialAssignment> showSerialList(int type) = 0;
    // FProfilo, the profile form before a format (provisioning::apriModuloProfilo holds its
    // rules): true when OK was pressed and the profile holds the answers.
    virtual bool showProfileForm(provisioning::CProfilo& profile, bool electric, bool soloLingua,
                                 bool conOrologio) = 0;

    // --- modes the technician switches ---
    // "&Esporta le differenze" (the entry's check mark): while set, the NVRAM send compares
    // instead of writing and logs each differing byte. Down when the program starts.
    bool soloDifferenze() const { return soloDifferenze_; }
    void setSoloDifferenze(bool on) { soloDifferenze_ = on; }
    // "&Verify transfers" (the entry's check mark; krnctl --verify does the same per command):
    // while set, runCommand reads back every write and reads again any read that followed a
    // recovery. Down when the program starts.
    bool verifica() const { return verifica_; }
    void setVerifica(bool on) { verifica_ = on; }
    // What the running command did that the technician may look for later: a value written, a
    // file saved, a clock set, a test's counts. runCommand empties it as a command starts; the
    // desktop program puts it in the activity log and the status line.
    std::vector<std::string> activity;

private:
    bool soloDifferenze_ = false;
    bool verifica_ = false;
};

}  // namespace service
