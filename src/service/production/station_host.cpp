#include "service/production/station_host.h"

#include <algorithm>

#include "service/device/usb_commands.h"
#include "service/production/station.h"
#include "service/settings/nvram_writes.h"

namespace service {
namespace {

using platform::MessageButtons;
using platform::MessageResult;

// A question asked again after a failure ("Error. Try again?", the connection's Retry) is
// answered Yes or Retry three times, then No or Cancel, so that a bench never repeats a failing
// step for ever.
constexpr int kRepeats = 3;
// Another station may take the number this one read before its lock: it reads again.
constexpr int kAssignAttempts = 3;

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

}  // namespace

void StationDialogs::clear() {
    shown.clear();
    asked_.clear();
}

MessageResult StationDialogs::message(const platform::MessageBox& box) {
    shown.push_back(box.text);
    if (box.buttons == MessageButtons::Ok) return MessageResult::Ok;
    if (onQuestion) onQuestion();
    const bool refused = std::any_of(refuse.begin(), refuse.end(),
                                     [&](const std::string& r) { return startsWith(box.text, r); });
    asked_.push_back(box.text);
    const bool again = std::count(asked_.begin(), asked_.end(), box.text) > kRepeats;
    switch (box.buttons) {
        case MessageButtons::OkCancel:
            return refused || again ? MessageResult::Cancel : MessageResult::Ok;
        case MessageButtons::RetryCancel:
            return refused || again ? MessageResult::Cancel : MessageResult::Retry;
        case MessageButtons::AbortRetryIgnore:
            return refused || again ? MessageResult::Abort : MessageResult::Retry;
        default:
            return refused || again ? MessageResult::No : MessageResult::Yes;
    }
}

std::optional<std::string> StationDialogs::input(const std::string& prompt, const std::string&,
                                                 const std::string&) {
    shown.push_back(prompt);
    if (inputs.empty()) return std::nullopt;
    std::string answer = inputs.front();
    inputs.pop_front();
    return answer;
}

std::optional<std::string> StationDialogs::openFile(const std::string&, const std::string&,
                                                    const std::vector<platform::FileFilter>&) {
    return std::nullopt;
}

std::optional<std::string> StationDialogs::saveFile(const std::string&, const std::string&,
                                                    const std::vector<platform::FileFilter>&) {
    return std::nullopt;
}

std::optional<platform::FontChoice> StationDialogs::chooseFont(const platform::FontChoice&) {
    return std::nullopt;
}

StationHost::StationHost(CommandHost& inner, const provisioning::CProfilo& profile)
    : inner_(inner), profile_(profile), controller_(*this) {
    // Every write of the station is read back.
    setVerifica(true);
    dialogs_.onQuestion = [this] {
        instrument::UCKRNVisual& c = control();
        if (!c.Collegato() || c.Protocollo() == 0) return;
        identity = StationIdentity{c.Protocollo(), c.Estensioni(), c.Versione(), firmaNVRAM(c)};
    };
}

std::optional<int> StationHost::chooseLanguage(const std::string&, bool) {
    return profile_.Lingua1;
}

bool StationHost::showProfileForm(provisioning::CProfilo& profile, bool, bool, bool) {
    profile = profile_;
    return true;
}

void StationHost::processEvents() {
    inner_.progressView().processEvents();
    if (inner_.controller().Annullando() || (stopRequested && stopRequested()))
        controller_.Annulla();
}

// The list dialog as the station fills it: the number the list proposes, the name made from it,
// assigned under the list's lock. When another station took that number meanwhile, the list is
// read again and the next number tried.
std::optional<resources::SerialAssignment> StationHost::showSerialList(int type) {
    const std::string path = resources::serialListPath(settings(), programFolder());
    std::optional<long> tried;
    for (int attempt = 0; attempt < kAssignAttempts; ++attempt) {
        backup::FileProblem problem;
        const auto lines = resources::readSerialList(path, &problem);
        if (!lines) {
            listError = resources::serialListRefusedText(path, problem);
            return std::nullopt;
        }
        const long proposed =
            resources::proposedSerialNumber(*lines, settings(), resources::kProgramSettings, type);
        if (tried == proposed) break;
        tried = proposed;
        if (auto usedUp = resources::serialNumbersUsedUp(type, proposed)) {
            listError = *usedUp;
            return std::nullopt;
        }
        const std::string name = stationName(nameTemplate, resources::serialText(type, proposed));
        const auto r = resources::assignSerialNumber(
            path, settings(), resources::kProgramSettings, clock(),
            {type, proposed, std::nullopt, name, user, {}}, kSerialListLockTimeout);
        if (!r.notice.empty()) dialogs_.shown.push_back(r.notice);
        listError = r.error;
        assigned = r.assignment;
        if (r.assignment || r.usedUp) return r.assignment;
    }
    return std::nullopt;
}

}  // namespace service
