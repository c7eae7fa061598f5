#include "service/device/usb_commands.h"

#include "link/instrument_description.h"
#include "link/usb_identity.h"
#include "link/zenko_usb.h"

namespace service {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;

// "EEPROM Empty" is how the device list names a chip whose EEPROM was never programmed.
constexpr const char* kEepromEmpty = "EEPROM Empty";

void box(CommandHost& host, const std::string& text, MessageIcon icon) {
    host.dialogs().message({text, "", icon, MessageButtons::Ok, 0});
}

// The chosen device's serial number ("" for an unprogrammed chip); nothing, with the box,
// when the choice is not a USB device or was cancelled.
std::optional<std::string> chooseDevice(CommandHost& host, Outcome& outcome) {
    krnlink::SelectionOptions options;
    options.TuttiUSB = true;
    const auto chosen = host.selectInstrument(kSelectDevice, options);
    outcome = Outcome::Cancelled;
    if (!chosen) return std::nullopt;
    if (chosen->rfind("USB:", 0) != 0) {
        box(host, "Instrument type non supported.", MessageIcon::Information);
        outcome = Outcome::Refused;
        return std::nullopt;
    }
    std::string serial = krnlink::trimLeft(chosen->substr(4));
    if (serial == kEepromEmpty) serial.clear();
    return serial;
}

platform::FtHandle openDevice(CommandHost& host, const std::string& serial) {
    const platform::FtHandle h = krnlink::ApriUSBPerNumeroSerie(host.usb(), serial);
    if (h == 0) box(host, "Communication with USB device error", MessageIcon::Critical);
    return h;
}

Outcome programmed(CommandHost& host, platform::FtHandle h, bool ok) {
    host.usb().Close(h);
    if (!ok) {
        box(host, "EEProm setup fail.", MessageIcon::Critical);
        return Outcome::Failed;
    }
    box(host, "Unplug then plug the instrument for identification.", MessageIcon::Exclamation);
    return Outcome::Done;
}

std::optional<std::string> field(CommandHost& host, const char* prompt,
                                 const std::string& initial) {
    return host.dialogs().input(prompt, "Serial number list", initial);
}

}  // namespace

std::optional<resources::SerialAssignment> serialListOnBoxes(CommandHost& host, int type) {
    const std::string path = resources::serialListPath(host.settings(), host.programFolder());
    backup::FileProblem problem;
    const auto lines = resources::readSerialList(path, &problem);
    if (!lines) {
        box(host, resources::serialListRefusedText(path, problem), MessageIcon::None);
        return std::nullopt;
    }
    if (type == 0) return std::nullopt;
    const long proposed =
        resources::proposedSerialNumber(*lines, host.settings(), resources::kProgramSettings, type);
    if (auto usedUp = resources::serialNumbersUsedUp(type, proposed)) {
        box(host, *usedUp, MessageIcon::Exclamation);
        return std::nullopt;
    }
    const auto number = field(host, "Serial number:", std::to_string(proposed));
    if (!number) return std::nullopt;
    const auto name = field(host, "Name:", resources::defaultInstrumentName(type));
    if (!name) return std::nullopt;
    const auto user = field(host, "User:", resources::defaultUserText(type));
    if (!user) return std::nullopt;
    if (auto error = resources::serialFieldsError(*number, type, *name)) {
        box(host, *error, MessageIcon::None);
        return std::nullopt;
    }
    resources::AssignRequest request{type, std::stol(*number), proposed, *name, *user, {}};
    const resources::AssignResult r =
        resources::assignSerialNumber(path, host.settings(), resources::kProgramSettings,
                                      host.clock(), request, kSerialListLockTimeout);
    if (!r.notice.empty()) box(host, r.notice, MessageIcon::Information);
    if (!r.assignment) box(host, r.error, MessageIcon::Exclamation);
    return r.assignment;
}

Outcome programUsbIdentity(CommandHost& host, int type) {
    Outcome outcome = Outcome::Cancelled;
    const auto serial = chooseDevice(host, outcome);
    if (!serial) return outcome;
    if (serial->empty()) {
        std::uint32_t count = 0;
        if (host.usb().ListDevices(count) != platform::FtStatus::Ok) count = 0;
        if (count > 1) {
            box(host, "Connecting only one instrument to prevent abiquity", MessageIcon::Critical);
            return Outcome::Refused;
        }
        if (count == 1 && host.dialogs().message(
                              {"Are you sure to program EEprom?", "", MessageIcon::Question,
                               MessageButtons::YesNoCancel, 1}) != platform::MessageResult::Yes)
            return Outcome::Cancelled;
    }
    const platform::FtHandle h = openDevice(host, *serial);
    if (h == 0) return Outcome::Failed;
    const auto assignment = host.showSerialList(type);
    if (!assignment) {
        host.usb().Close(h);
        return Outcome::Cancelled;
    }
    const krnlink::UsbIdentity identity{{}, {}, assignment->name, assignment->serial};
    return programmed(host, h, krnlink::ScriviIdentitaUSB(host.usb(), h, identity));
}

Outcome WriteEEpromCommand(CommandHost& host) {
    return programUsbIdentity(host, 3);
}

Outcome UsbIdsCommand(CommandHost& host) {
    Outcome outcome = Outcome::Cancelled;
    const auto serial = chooseDevice(host, outcome);
    if (!serial) return outcome;
    if (serial->empty()) return Outcome::Cancelled;
    const platform::FtHandle h = openDevice(host, *serial);
    if (h == 0) return Outcome::Failed;
    return programmed(host, h, krnlink::AggiornaIdentificativiUSB(host.usb(), h));
}

Outcome SerialListCommand(CommandHost& host) {
    host.showSerialList(0);
    // A list that could not be shown has told why in its box; the command did not do its work.
    const std::string path = resources::serialListPath(host.settings(), host.programFolder());
    return resources::readSerialList(path) ? Outcome::Done : Outcome::FileError;
}

}  // namespace service
