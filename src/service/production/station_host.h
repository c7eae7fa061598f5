#pragma once
// The host the station runs the service layer's own commands through. It gives what the
// program's host gives (clock, settings, program folder, instrument control, channels, USB), but
// the instrument chosen is the one on the bench, the profile form is answered with the station's
// profile, the serial-number list assigns the next number with the station's name, questions are
// answered Yes (a question or a Retry repeated after an error at most three times, then No or
// Cancel; the questions named in `refuse` are answered No), input boxes with the station's
// answers. It has its own connection controller, so that every box of a step is the station's and
// a Stop of the station cancels the running transfer. The boxes shown are kept for the report.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "service/core/command_host.h"
#include "service/core/controller.h"

namespace service {

class StationDialogs final : public platform::Dialogs {
public:
    platform::MessageResult message(const platform::MessageBox& box) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    // No stage of the station chooses a file or a font: they are answered Cancel.
    std::optional<std::string> openFile(const std::string& title, const std::string& initial,
                                        const std::vector<platform::FileFilter>& filters) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& initial,
                                        const std::vector<platform::FileFilter>& filters) override;
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice& initial) override;

    // A new step: no box shown yet, no question asked yet.
    void clear();

    // Called before a question is answered, while the command's conversation is open.
    std::function<void()> onQuestion;
    std::deque<std::string> inputs;   // answers of the next input boxes
    std::vector<std::string> refuse;  // questions (their first words) answered No
    std::vector<std::string> shown;   // every box's text, in order

private:
    std::vector<std::string> asked_;
};

// The instrument as a command's conversation identified it; the control forgets it when the
// conversation closes.
struct StationIdentity {
    int protocol = 0;
    int extension = 0;
    std::string firmware;
    std::array<std::uint8_t, 12> signature{};  // what a valid header holds
};

class StationHost final : public CommandHost, public ProgressView {
public:
    StationHost(CommandHost& inner, const provisioning::CProfilo& profile);

    platform::Dialogs& dialogs() override { return dialogs_; }
    platform::Clock& clock() override { return inner_.clock(); }
    platform::SettingsStore& settings() override { return inner_.settings(); }
    const std::string& programFolder() override { return inner_.programFolder(); }
    instrument::UCKRNVisual& control() override { return inner_.control(); }
    platform::SerialPort* serialPort() override { return inner_.serialPort(); }
    platform::UdpSocket* socket() override { return inner_.socket(); }
    platform::UsbBridge& usb() override { return inner_.usb(); }
    CMain& controller() override { return controller_; }
    ProgressView& progressView() override { return *this; }
    std::optional<std::string> selectInstrument(const std::string&,
                                                const krnlink::SelectionOptions&) override {
        return description;
    }
    bool screenCopyVisible() override { return false; }
    bool showFolder(const std::string&) override { return false; }
    // The instrument's clock is not the station's business: it is left as it is.
    void showClockDialog(instrument::UCKRNVisual&) override {}
    void showCommunicationTest(const std::string&) override {}
    std::optional<int> chooseLanguage(const std::string&, bool) override;
    void showFontBuilder() override {}
    void showScreenCopy(const std::string&, bool) override {}
    Outcome showEthernetSetup(const std::string&) override { return Outcome::Refused; }
    std::optional<resources::SerialAssignment> showSerialList(int type) override;
    bool showProfileForm(provisioning::CProfilo& profile, bool, bool, bool) override;

    // ProgressView: the program's own bar; a stop asked for cancels the running transfer.
    void showStatus(const std::string& text) override { inner_.progressView().showStatus(text); }
    void showProgress(long maximum) override { inner_.progressView().showProgress(maximum); }
    void setProgress(long value) override { inner_.progressView().setProgress(value); }
    void hideProgress() override { inner_.progressView().hideProgress(); }
    void processEvents() override;

    StationDialogs& boxes() { return dialogs_; }

    // The instrument the commands select ("USB: serial").
    std::string description;
    // The name template and the user text of the next assignment.
    std::string nameTemplate;
    std::string user;
    // Whether the station was asked to stop (Ctrl-C, the Stop button).
    std::function<bool()> stopRequested;
    // What the list said when it assigned nothing, and the last assignment.
    std::string listError;
    std::optional<resources::SerialAssignment> assigned;
    // The identity seen at the last question a command asked with the instrument connected.
    std::optional<StationIdentity> identity;

private:
    CommandHost& inner_;
    const provisioning::CProfilo& profile_;
    StationDialogs dialogs_;
    CMain controller_;
};

}  // namespace service
