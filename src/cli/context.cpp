#include "cli/context.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <sstream>

#include "cli/adapters.h"
#include "cli/json.h"
#include "cli/progress.h"
#include "instrument/connection.h"
#include "link/instrument_description.h"
#include "platform/console/console_dialogs.h"
#include "platform/files.h"
#include "platform/traced_udp_socket.h"
#include "service/core/menu_commands.h"
#include "service/core/messages.h"
#include "service/core/program_folder.h"
#include "service/core/verification.h"
#include "service/device/usb_commands.h"
#include "service/diagnostics/communication_check.h"
#include "service/settings/clock_command.h"
#include "sim/nvram_file.h"
#include "sim/profiles.h"

namespace cli {
namespace {

// Set by the signal handler, read by the fleet's worker threads as well: an atomic that needs
// no lock, so that both are allowed.
std::atomic<bool> interruptFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    interruptFlag = true;
}

}  // namespace

// The terminal's dialogs with the answers krnctl took from its command line in front.
class PreAnsweredDialogs final : public platform::Dialogs {
public:
    explicit PreAnsweredDialogs(platform::Dialogs& inner) : inner_(inner) {}

    platform::MessageResult message(const platform::MessageBox& box) override {
        const bool question = box.buttons != platform::MessageButtons::Ok &&
                              box.buttons != platform::MessageButtons::RetryCancel;
        if (!question || questionAnswers.empty()) return inner_.message(box);
        // Shown as the terminal shows every box, and answered from the command line.
        std::string text = box.text;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        std::cerr << text << std::endl;
        const platform::MessageResult a = questionAnswers.front();
        questionAnswers.pop_front();
        return a;
    }
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override {
        shown.push_back({prompt, initial});
        if (answers.empty()) return inner_.input(prompt, title, initial);
        const InputAnswer a = answers.front();
        answers.pop_front();
        switch (a.kind) {
            case InputAnswer::Kind::Value:
                return a.value;
            case InputAnswer::Kind::Keep:
                return initial.empty() ? std::nullopt : std::optional(initial);
            case InputAnswer::Kind::Cancel:
                break;
        }
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<platform::FileFilter>& filters) override {
        if (auto f = takeFile()) return f;
        return inner_.openFile(title, folder, filters);
    }
    std::optional<std::string> saveFile(const std::string& title, const std::string& suggested,
                                        const std::vector<platform::FileFilter>& filters) override {
        if (auto f = takeFile()) return f;
        return inner_.saveFile(title, suggested, filters);
    }
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice& initial) override {
        return inner_.chooseFont(initial);
    }

    std::deque<InputAnswer> answers;
    std::deque<platform::MessageResult> questionAnswers;
    std::deque<std::string> files;
    std::vector<ShownInput> shown;

private:
    std::optional<std::string> takeFile() {
        if (files.empty()) return std::nullopt;
        std::string f = files.front();
        files.pop_front();
        return f;
    }
    platform::Dialogs& inner_;
};

void installInterruptHandlers() {
    adapters::installInterruptHandlers(onInterrupt);
}

bool interrupted() {
    return interruptFlag;
}

int exitCode(service::Outcome outcome) {
    switch (outcome) {
        case service::Outcome::Done:
            return kDone;
        case service::Outcome::Failed:
            return kInstrumentFailed;
        case service::Outcome::Cancelled:
        case service::Outcome::Refused:
            return kRefused;
        case service::Outcome::FileError:
            return kFileError;
    }
    return kInstrumentFailed;
}

Context::Context(GlobalOptions options) : options_(std::move(options)) {
    clockDialog = [this](instrument::UCKRNVisual& control) {
        if (auto r = service::readClock(control, clock_))
            message("krnctl: the instrument's clock is " + std::to_string(r->difference) +
                    " s off the computer's; \"krnctl clock --set\" sets it");
    };
}

Context::~Context() {
    if (instrument_ && instrument_->Collegato()) instrument_->ChiudiPortaComunicazione();
}

bool Context::keepSimulated() {
    if (instrument_ && instrument_->Collegato()) instrument_->ChiudiPortaComunicazione();
    bool kept = true;
    const auto fail = [&](const std::string& what, const std::string& path) {
        message("krnctl: cannot keep the simulated " + what + " in " + path +
                "; what this run changed in it is lost: run the command again with a file that "
                "can be written.");
        kept = false;
    };
    if (simulatedBridge_ && !options_.simulatedEeprom.empty() &&
        !sim::saveChipIdentity(options_.simulatedEeprom, simulatedBridge_->devices().front()))
        fail("chip's identity", options_.simulatedEeprom);
    if (simulated_ && !options_.simulatedNvram.empty() &&
        !sim::saveNvram(options_.simulatedNvram, simulated_->nvram()))
        fail("NVRAM", options_.simulatedNvram);
    return kept;
}

bool Context::init() {
    setVerifica(options_.verify);
    serial_ = adapters::serialPort();
    ports_ = adapters::serialPorts();
    socket_ = adapters::udpSocket();
    moduleSocketInner_ = adapters::udpSocket();
    probeSocketInner_ = adapters::udpSocket();
    console_ = std::make_unique<platform::console::ConsoleDialogs>(
        std::cin, std::cerr, options_.yes, adapters::stdinIsTerminal());
    dialogs_ = std::make_unique<PreAnsweredDialogs>(*console_);
    if (!options_.simulate.empty()) {
        const sim::Profile* profile = sim::findProfile(options_.simulate);
        if (!profile) {
            message("krnctl: unknown simulator profile \"" + options_.simulate + "\"");
            return false;
        }
        simulated_ = std::make_unique<sim::SimInstrument>(*profile);
        auto bridge = std::make_unique<sim::SimUsbBridge>(clock_);
        sim::SimUsbDevice device;
        device.serialNumber = kSimulatedUsbSerial;
        device.description = "KRN Visual (simulated)";
        device.instrument = simulated_.get();
        // The files that keep the simulated instrument are read now and written back at the
        // end: one that cannot be read, or could not be written, is refused before anything
        // runs and left as it is. A missing file is a blank chip or a blank instrument.
        for (const std::string* kept : {&options_.simulatedEeprom, &options_.simulatedNvram}) {
            if (kept->empty()) continue;
            std::string problem;
            if (const auto refused = platform::refusedTarget(*kept))
                problem = "cannot keep the simulated instrument in " + refused->text();
            else if (kept == &options_.simulatedEeprom)
                problem = sim::loadChipIdentity(*kept, device);
            else
                problem = sim::loadNvramOrSayWhy(*kept, simulated_->nvram());
            if (!problem.empty()) {
                message("krnctl: " + problem);
                return false;
            }
        }
        bridge->addDevice(device);
        simulatedBridge_ = bridge.get();
        usb_ = std::move(bridge);
    } else {
        usb_ = adapters::usbBridge();
    }
    instrument_ = std::make_unique<instrument::UCKRNVisual>(clock_, usb_.get(), ports_.get());
    instrument_->setDialogs(dialogs_.get());
    instrument_->setRestartWaitScale(platform::restartWaitScale());
    controller_ = std::make_unique<service::CMain>(*this);
    if (!options_.trace.empty()) {
        trace_ = std::make_unique<platform::FrameTrace>(clock_, options_.trace);
        if (!trace_->ok()) {
            message("krnctl: cannot write the trace file " + options_.trace);
            return false;
        }
        instrument_->link().setTrace(trace_.get());
        // The module commands (set-up, discovery) and the probes go into the trace as well.
        moduleSocket_ =
            std::make_unique<platform::TracedUdpSocket>(*moduleSocketInner_, *trace_, "MOD");
        probeSocket_ =
            std::make_unique<platform::TracedUdpSocket>(*probeSocketInner_, *trace_, "ETH");
    }
    return true;
}

platform::Dialogs& Context::dialogs() {
    return *dialogs_;
}

void Context::answerInputs(std::vector<InputAnswer> answers) {
    dialogs_->answers.assign(answers.begin(), answers.end());
    dialogs_->shown.clear();
}

void Context::answerQuestions(std::vector<platform::MessageResult> answers) {
    dialogs_->questionAnswers.assign(answers.begin(), answers.end());
}

void Context::answerFile(const std::string& path) {
    dialogs_->files.push_back(path);
}

bool Context::showProfileForm(provisioning::CProfilo& profile, bool, bool, bool) {
    if (!formProfile_) return false;
    profile = *formProfile_;
    return true;
}

std::optional<int> Context::chooseLanguage(const std::string&, bool) {
    if (!formProfile_) return std::nullopt;
    // Instruments below protocol 9 or extension 11 have no profile form: the format asks them
    // the main language only and names them as their generation does.
    message(
        "krnctl: an instrument of this generation takes only the main language from a "
        "profile: the profile's name \"" +
        formProfile_->NomeStrumento +
        "\" is not written, nor its second language or history; \"krnctl name\" changes "
        "the name afterwards");
    return formProfile_->Lingua1;
}

std::optional<resources::SerialAssignment> Context::showSerialList(int type) {
    return service::serialListOnBoxes(*this, type);
}

void Context::showFontBuilder() {
    message(
        "krnctl: the font builder is a window of krnsetup; \"krnctl fonts build\" makes "
        "the font files");
}

void Context::showScreenCopy(const std::string&, bool) {
    message(
        "krnctl: the screen copy is a window of krnsetup; \"krnctl screen\" copies the "
        "display");
}

service::Outcome Context::showEthernetSetup(const std::string&) {
    message(
        "krnctl: the Ethernet set-up is a window of krnsetup; \"krnctl ethernet setup\" "
        "sets the module");
    return service::Outcome::Refused;
}

const std::vector<ShownInput>& Context::shownInputs() const {
    return dialogs_->shown;
}

std::string Context::description() {
    std::string d = options_.instrument;
    if (const char* env = std::getenv("KRN_INSTRUMENT"); d.empty() && env) d = env;
    if (d.empty()) {
        message(
            "krnctl: no instrument given; use --instrument \"COM: n\", \"USB: serial\" or "
            "\"IP: host:port\", or set KRN_INSTRUMENT");
        return {};
    }
    // A description that cannot name an instrument is a usage error, not a line that failed.
    if (!krnlink::InstrumentDescription::parse(d).usable()) {
        message("krnctl: \"" + d +
                "\" is not an instrument; use \"COM: n\" (n from 1), \"COM: /dev/...\", "
                "\"USB: serial\" or \"IP: host:port\"");
        return {};
    }
    return d;
}

bool Context::open(const std::string& text, bool identify) {
    instrument_->link().skipConfigurationRead = !identify;
    const bool ok = instrument::ApriCollegamento(*instrument_, text, serial_.get(), socket_.get());
    if (!ok) communicationError(text);
    return ok;
}

int runSession(Context& ctx, bool lock, const std::function<int()>& body) {
    int rc = kDone;
    const service::Outcome outcome = service::runCommand(ctx, [&](service::CommandHost& host) {
        service::Conversation conversation(host);
        const auto description = host.selectInstrument(service::text::kSelectInstrument, {});
        if (!description) {
            rc = kUsage;
        } else if (conversation.open(*description) != service::Outcome::Done) {
            ctx.message(*description);
            rc = kInstrumentFailed;
        } else if (lock) {
            rc = exitCode(conversation.lock());
        }
        if (rc == kDone) rc = body();
        return rc == kDone ? service::Outcome::Done : service::Outcome::Failed;
    });
    // A difference that verification found fails a body that succeeded.
    return rc == kDone && outcome != service::Outcome::Done ? kInstrumentFailed : rc;
}

int runService(Context& ctx,
               const std::function<service::Outcome(service::CommandHost&)>& command) {
    const service::Outcome outcome = service::runCommand(ctx, command);
    return ctx.noInstrument() ? kUsage : exitCode(outcome);
}

std::optional<std::string> Context::selectInstrument(const std::string&,
                                                     const krnlink::SelectionOptions&) {
    if (defaultSelection && options_.instrument.empty() && !std::getenv("KRN_INSTRUMENT"))
        return defaultSelection;
    std::string d = description();
    if (d.empty()) {
        noInstrument_ = true;
        return std::nullopt;
    }
    return d;
}

bool Context::showFolder(const std::string& path) {
    if (options_.json)
        std::cout << Json::object().add("folder", path).str() << "\n";
    else
        std::cout << path << "\n";
    return true;
}

void Context::showClockDialog(instrument::UCKRNVisual& control) {
    if (clockDialog) clockDialog(control);
}

void Context::showCommunicationTest(const std::string& description) {
    communicationSuccesses = 0;
    for (int i = 0; communicationAttempts == 0 || i < communicationAttempts; ++i) {
        if (interrupted()) break;
        const bool ok = service::communicationAttempt(*this, description);
        if (ok) ++communicationSuccesses;
        std::cout << (ok ? "OK" : "NO") << std::endl;
    }
}

platform::SettingsStore& Context::settings() {
    if (!settings_) settings_ = adapters::settings();
    return *settings_;
}

const std::string& Context::programFolder() {
    if (!folderResolved_) {
        folder_ = service::resolveProgramFolder(options_.folder, options_.perUserFolder,
                                                options_.shippedData);
        folderResolved_ = true;
    }
    return folder_;
}

void Context::showStatus(const std::string& text) {
    status_ = text;
    if (bar_) bar_->setLabel(text);
}

void Context::showProgress(long maximum) {
    maximum_ = maximum;
    bar_ = std::make_unique<TerminalProgress>(progressAllowed(), status_);
    // Stages counted in percent, cycles or seconds show their percentage only.
    bar_->countBytes(controller_->bytesPerStep());
    bar_->show(0, maximum_);
}

void Context::setProgress(long value) {
    console_->progressed();
    if (bar_) bar_->show(value, maximum_);
}

void Context::hideProgress() {
    bar_.reset();
}

void Context::processEvents() {
    if (interrupted()) controller_->Annulla();
}

void Context::message(const std::string& text) {
    std::cerr << text << std::endl;
}

void Context::communicationError(const std::string& detail) {
    message(std::string(service::text::kCommunicationError) + "\n" + detail);
}

std::optional<std::int64_t> parseNumber(const std::string& text, std::int64_t max) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    int base = 10;
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() > 12) return std::nullopt;
    char* end = nullptr;
    long long v = std::strtoll(digits.c_str(), &end, base);
    if (*end != '\0' || v < 0 || v > max) return std::nullopt;
    return v;
}

std::optional<std::uint8_t> parseByte(const std::string& text) {
    auto v = parseNumber(text, 255);
    if (!v) return std::nullopt;
    return static_cast<std::uint8_t>(*v);
}

}  // namespace cli
