#pragma once
// What every krnctl command shares: the global options, the platform adapters, the instrument
// control and the way results and messages are printed. It is the commands' host: the service
// commands ask it for the instrument (from --instrument), for answers (from the flags or the
// terminal) and show their progress through it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instrument/uckrnvisual.h"
#include "platform/dialogs.h"
#include "platform/frame_trace.h"
#include "provisioning/profilo.h"
#include "service/core/command_host.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/core/outcome.h"
#include "sim/sim_instrument.h"
#include "sim/sim_usb_bridge.h"

namespace platform::console {
class ConsoleDialogs;
}

namespace cli {

class TerminalProgress;
class PreAnsweredDialogs;

enum Exit : int {
    kDone = 0,
    kInstrumentFailed = 1,
    kUsage = 2,
    kRefused = 3,
    kFileError = 4,
};

struct GlobalOptions {
    std::string instrument;  // description; KRN_INSTRUMENT when empty
    std::string folder;
    std::string perUserFolder;  // where the per-user program folder lives
    std::string shippedData;    // the data files that came with the program
    std::string trace;
    std::string simulate;  // profile of an in-process USB instrument
    std::string
        simulatedEeprom;  // where the simulated chip keeps its identity (serial, description)
    std::string simulatedNvram;  // where the simulated instrument keeps its NVRAM
    bool json = false;
    bool yes = false;
    bool verify = false;
};

// Where discovery sends its module commands; on every command that discovers.
struct DiscoveryOptions {
    std::string address = "255.255.255.255";
    int port = 65535;
};

// The serial number of the in-process USB instrument of --simulate.
inline constexpr const char* kSimulatedUsbSerial = "QX3SIM0001";

// An answer given on krnctl's command line to an input box before the box is shown.
struct InputAnswer {
    enum class Kind { Value, Keep, Cancel };
    Kind kind = Kind::Cancel;
    std::string value;
    static InputAnswer of(const std::string& v) { return {Kind::Value, v}; }
    static InputAnswer keep() { return {Kind::Keep, {}}; }
    static InputAnswer cancel() { return {Kind::Cancel, {}}; }
};

// An input box as a command showed it.
struct ShownInput {
    std::string prompt;
    std::string initial;
};

// The exit code of a command's outcome.
int exitCode(service::Outcome outcome);

// Set by Ctrl-C (SIGINT) and SIGTERM: the running transfer is cancelled at its next check.
void installInterruptHandlers();
bool interrupted();

class Context final : public service::CommandHost, public service::ProgressView {
public:
    explicit Context(GlobalOptions options);
    ~Context() override;

    const GlobalOptions& options() const { return options_; }
    instrument::UCKRNVisual& instrument() { return *instrument_; }
    platform::SerialPortEnumerator& serialPorts() { return *ports_; }
    // The trace file of --trace; nullptr without it.
    platform::FrameTrace* trace() { return trace_.get(); }

    // service::CommandHost
    platform::Dialogs& dialogs() override;
    platform::Clock& clock() override { return clock_; }
    platform::SettingsStore& settings() override;
    const std::string& programFolder() override;
    instrument::UCKRNVisual& control() override { return *instrument_; }
    platform::SerialPort* serialPort() override { return serial_.get(); }
    platform::UdpSocket* socket() override { return socket_.get(); }
    platform::UsbBridge& usb() override { return *usb_; }
    service::CMain& controller() override { return *controller_; }
    service::ProgressView& progressView() override { return *this; }
    // The instrument of --instrument or KRN_INSTRUMENT; nothing (with a message) without one.
    std::optional<std::string> selectInstrument(const std::string& title,
                                                const krnlink::SelectionOptions& options) override;
    // Prints the folder (with --json: {"folder": path}).
    bool showFolder(const std::string& path) override;
    void showClockDialog(instrument::UCKRNVisual& control) override;
    void showCommunicationTest(const std::string& description) override;
    // The profile form and the language choice of a format answered from the profile file of
    // answerProfile; without one, the form is cancelled.
    bool showProfileForm(provisioning::CProfilo& profile, bool electric, bool soloLingua,
                         bool conOrologio) override;
    std::optional<int> chooseLanguage(const std::string& title, bool availability) override;
    // The serial-number list on input boxes, pre-answered or asked at the terminal.
    std::optional<resources::SerialAssignment> showSerialList(int type) override;
    // krnctl has no access levels: the Ethernet set-up shows no wiring hint.
    bool screenCopyVisible() override { return false; }
    // The windows that have a subcommand of their own instead ("fonts build", "screen",
    // "ethernet setup"): a message naming it; nothing is shown or changed.
    void showFontBuilder() override;
    void showScreenCopy(const std::string& description, bool menuMode) override;
    service::Outcome showEthernetSetup(const std::string& mac) override;

    // service::ProgressView: a bar on the terminal; Ctrl-C becomes the Cancel of the transfer.
    void showStatus(const std::string& text) override;
    void showProgress(long maximum) override;
    void setProgress(long value) override;
    void hideProgress() override;
    void processEvents() override;

    // Answers for the next input boxes, in order (Keep: the box's own initial value); with none
    // left, the terminal is asked as usual. The boxes shown are recorded, so that a command run
    // only to show a value can print what its input box offered.
    void answerInputs(std::vector<InputAnswer> answers);
    // Answers for the next questions (boxes with Yes/No, OK/Cancel ... buttons; never a Retry),
    // in order, whatever --yes says; with none left, questions are answered as usual.
    void answerQuestions(std::vector<platform::MessageResult> answers);
    // The file the next save or open dialog returns.
    void answerFile(const std::string& path);
    const std::vector<ShownInput>& shownInputs() const;
    // The profile the next profile form (or language choice) is answered with.
    void answerProfile(const provisioning::CProfilo& profile) { formProfile_ = profile; }

    // What the clock dialog does in krnctl; by default it tells that the clocks differ.
    std::function<void(instrument::UCKRNVisual&)> clockDialog;
    // How many attempts the communication test makes (0: until Ctrl-C) and what they gave.
    int communicationAttempts = 1;
    int communicationSuccesses = 0;
    // True after a command asked for the instrument and none was given (a usage error).
    bool noInstrument() const { return noInstrument_; }
    // The description the selection returns when none was given (the USB commands pick the
    // only chip attached this way).
    std::optional<std::string> defaultSelection;
    // A socket for module commands and one for probing instruments, apart from the link's.
    platform::UdpSocket& moduleSocket() {
        return moduleSocket_ ? *moduleSocket_ : *moduleSocketInner_;
    }
    platform::UdpSocket& probeSocket() { return probeSocket_ ? *probeSocket_ : *probeSocketInner_; }

    // Prepares the adapters; false (with a message) when the trace file cannot be written or the
    // simulated profile is unknown.
    bool init();
    // Writes the simulated instrument back into the files of --simulate-eeprom and
    // --simulate-nvram, after the command; false (with a message) when one could not be written.
    bool keepSimulated();
    // The instrument description of --instrument or KRN_INSTRUMENT; "" with a message when
    // neither is given.
    std::string description();
    // Opens the link for the description. identify = false opens the channel without the
    // configuration read. Prints "Communication error" and the description on failure.
    bool open(const std::string& description, bool identify);

    // The system's messages go to stderr as they stand.
    void message(const std::string& text);
    // "Communication error" and, on the next line, what failed.
    void communicationError(const std::string& detail);
    // Whether a progress bar may be drawn (not with --json).
    bool progressAllowed() const { return !options_.json; }

private:
    GlobalOptions options_;
    platform::SystemClock clock_;
    std::unique_ptr<platform::SerialPort> serial_;
    std::unique_ptr<platform::SerialPortEnumerator> ports_;
    std::unique_ptr<platform::UdpSocket> socket_;
    std::unique_ptr<platform::UdpSocket> moduleSocketInner_;
    std::unique_ptr<platform::UdpSocket> probeSocketInner_;
    std::unique_ptr<platform::UdpSocket> moduleSocket_;  // traced with --trace
    std::unique_ptr<platform::UdpSocket> probeSocket_;
    std::unique_ptr<platform::console::ConsoleDialogs> console_;
    std::unique_ptr<PreAnsweredDialogs> dialogs_;
    std::unique_ptr<platform::UsbBridge> usb_;
    std::unique_ptr<sim::SimInstrument> simulated_;
    sim::SimUsbBridge* simulatedBridge_ = nullptr;
    std::unique_ptr<platform::FrameTrace> trace_;
    std::unique_ptr<instrument::UCKRNVisual> instrument_;
    std::unique_ptr<service::CMain> controller_;
    std::unique_ptr<platform::SettingsStore> settings_;
    std::unique_ptr<TerminalProgress> bar_;
    std::string status_;
    long maximum_ = 0;
    std::string folder_;
    bool folderResolved_ = false;
    bool noInstrument_ = false;
    std::optional<provisioning::CProfilo> formProfile_;
};

// A command that only krnctl has and that speaks to the instrument itself: runs body through
// service::runCommand (cancel lowered, every write verified with --verify) inside a conversation
// opened with the configuration read and, with lock, locked for the transfer; the conversation is
// closed at the end on every path. Returns body's exit code, or the code of the failed open after
// its message.
int runSession(Context& ctx, bool lock, const std::function<int()>& body);
// Runs a service command through service::runCommand and gives krnctl's exit code; without an
// instrument to talk to (none given) that is the usage error.
int runService(Context& ctx, const std::function<service::Outcome(service::CommandHost&)>& command);

// The help of --verify.
inline constexpr const char* kVerifyHelp =
    "Read back every write and read again every read that followed a recovery; a byte that stays "
    "wrong is reported with its address (exit 1)";

// "15", "0x0F" -> 15; nullopt for anything else or a value above 255.
std::optional<std::uint8_t> parseByte(const std::string& text);
// Decimal or 0x hex, 0 .. max.
std::optional<std::int64_t> parseNumber(const std::string& text, std::int64_t max);

}  // namespace cli
