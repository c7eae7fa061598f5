#include "service/production/station.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "service/backup/backup_commands.h"
#include "service/core/menu_commands.h"
#include "service/device/usb_commands.h"
#include "service/format/send_setup.h"
#include "service/production/station_host.h"
#include "service/settings/nvram_commands.h"
#include "service/settings/setting_commands.h"

namespace service {
namespace {

using Stage = StationStage;

// How the device list names a chip whose EEPROM was never programmed.
constexpr const char* kEepromEmpty = "EEPROM Empty";
// The header check's question: the station never writes a new checksum over a bad header.
constexpr const char* kNewChecksum = "Now I write a new checksum.";
// The box of a format refused because another command holds the program folder's lock.
constexpr const char* kFolderInUse = "The program folder is in use by another command";
constexpr const char* kReportRefused = "Cannot write the report ";
constexpr const char* kBlankChip = "Blank chip";
constexpr const char* kBadHeader = "The header does not hold the instrument's signature.";

// The serial numbers of the chips attached now ("" for a blank one).
std::vector<std::string> attached(platform::UsbBridge& usb) {
    std::vector<std::string> serials;
    std::uint32_t count = 0;
    if (usb.ListDevices(count) != platform::FtStatus::Ok) return serials;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string serial;
        if (usb.ListDevicesByIndex(i, serial) != platform::FtStatus::Ok) continue;
        serials.push_back(serial == kEepromEmpty ? std::string() : serial);
    }
    return serials;
}

bool listed(const std::vector<std::string>& lines, const std::string& serial) {
    if (serial.empty()) return false;
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return l == serial || l.rfind(serial + " ", 0) == 0;
    });
}

std::string timeText(const platform::LocalDateTime& t) {
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return when;
}

class Station {
public:
    Station(CommandHost& host, const StationOptions& o, StationView& view)
        : host_(host), o_(o), view_(view), sh_(host, o.profile) {
        sh_.nameTemplate = o.nameTemplate;
        sh_.user = o.operatorName.empty() ? resources::defaultUserText(o.type) : o.operatorName;
        sh_.stopRequested = [&view] { return view.stopRequested(); };
    }

    // Waits for exactly one chip; nothing when the station was stopped.
    std::optional<std::string> waitForChip() {
        view_.stage(kStationWaiting);
        for (;;) {
            if (view_.stopRequested()) return std::nullopt;
            const auto serials = attached(host_.usb());
            if (serials.size() == 1) return serials.front();
            if (serials.size() > 1) view_.stage(kStationOneAtATime);
            pause();
        }
    }

    // Waits until the chip as the device list shows it now is gone (or the station is stopped).
    void waitForUnplug(const std::string& chip) {
        const std::string label = chip.empty() ? std::string(kBlankChip) : chip;
        view_.stage(label + ": unplug the instrument.");
        view_.unplugRequested(label);
        for (;;) {
            const auto serials = attached(host_.usb());
            if (std::find(serials.begin(), serials.end(), chip) == serials.end() ||
                view_.stopRequested())
                return;
            pause();
        }
    }

    // The chip of the last run as the device list shows it now.
    const std::string& shown() const { return shown_; }

    // Where the chip's instrument starts: a blank chip, or one whose serial number the list does
    // not hold, from its USB identity; a listed one from the first stage its last report row did
    // not finish, or, without a row, from its format when its header holds no signature and from
    // its name when it does. Nothing when its last row says it is done.
    std::optional<Stage> firstStage(const std::string& chip, std::string& error) {
        const std::string path = resources::serialListPath(host_.settings(), host_.programFolder());
        backup::FileProblem problem;
        const auto lines = resources::readSerialList(path, &problem);
        if (!lines) {
            error = resources::serialListRefusedText(path, problem);
            return Stage::UsbIdentity;
        }
        if (!listed(*lines, chip)) return Stage::UsbIdentity;
        if (const auto last = o_.report.empty() ? std::nullopt : lastStationRow(o_.report, chip)) {
            if (last->result == kResultDone) return std::nullopt;
            return std::max(Stage::Format, stageNamed(last->failedStage).value_or(Stage::Format));
        }
        sh_.description = "USB: " + chip;
        sh_.boxes().clear();
        return runCommand(sh_, [&](CommandHost& h) { return checkHeader(h); }) == Outcome::Done
                   ? Stage::Name
                   : Stage::Format;
    }

    StationRow run(const std::string& chip, Stage from, const std::string& listError) {
        StationRow row;
        const platform::TimePoint start = host_.clock().now();
        row.time = timeText(host_.clock().localNow());
        row.operatorName = o_.operatorName;
        row.serial = chip;
        shown_ = chip;
        if (!listError.empty()) {
            row.reason = listError;
            row.failedStage = stageName(Stage::UsbIdentity);
            row.result = kResultFailed;
        } else {
            row.result = stages(row, chip, from);
        }
        row.seconds = host_.clock().secondsSince(start);
        return row;
    }

private:
    void pause() {
        host_.progressView().processEvents();
        host_.clock().sleepFor(o_.poll);
    }

    std::string fail(StationRow& row, Stage stage, Outcome outcome) {
        row.failedStage = stageName(stage);
        if (!sh_.listError.empty())
            row.reason = sh_.listError;
        else if (!sh_.boxes().shown.empty())
            row.reason = sh_.boxes().shown.back();
        return outcome == Outcome::Cancelled || view_.stopRequested() ? kResultCancelled
                                                                      : kResultFailed;
    }

    Outcome step(StationRow& row, Stage stage,
                 const std::function<Outcome(CommandHost&)>& command) {
        view_.stage((row.serial.empty() ? std::string(kBlankChip) : row.serial) + ": " +
                    stageName(stage));
        sh_.boxes().clear();
        sh_.listError.clear();
        sh_.identity.reset();
        if (view_.stopRequested()) return Outcome::Cancelled;
        return runCommand(sh_, command);
    }

    // The header check of the menu, answered No to its new checksum: Done when the header holds
    // the instrument's signature.
    Outcome checkHeader(CommandHost& h) {
        std::optional<std::array<std::uint8_t, 12>> letta;
        sh_.identity.reset();
        sh_.boxes().refuse = {kNewChecksum};
        const Outcome o = WriteCheckSumCommand(h, &letta);
        sh_.boxes().refuse.clear();
        if (o != Outcome::Done || !letta || !sh_.identity)
            return o == Outcome::Done ? Outcome::Failed : o;
        if (*letta == sh_.identity->signature) return Outcome::Done;
        sh_.boxes().shown.push_back(kBadHeader);
        return Outcome::Failed;
    }

    // Waits for the programmed chip to come back with its new serial number.
    bool waitForSerial(const std::string& serial) {
        view_.stage(serial + ": unplug then plug the instrument for identification.");
        for (;;) {
            if (view_.stopRequested()) return false;
            const auto serials = attached(host_.usb());
            if (std::find(serials.begin(), serials.end(), serial) != serials.end()) return true;
            pause();
        }
    }

    // The format. The program folder's lock lets one format of this computer run at a time
    // (their work files are their own): while another command holds it, the station waits.
    Outcome format(StationRow& row) {
        for (;;) {
            const Outcome o =
                step(row, Stage::Format, [](CommandHost& h) { return formatInstrument(h, false); });
            const auto& shown = sh_.boxes().shown;
            if (o != Outcome::Refused || shown.empty() || shown.back().rfind(kFolderInUse, 0) != 0)
                return o;
            view_.stage(row.serial +
                        ": waiting for the program folder, which another command "
                        "uses.");
            if (view_.stopRequested()) return Outcome::Cancelled;
            pause();
        }
    }

    // The identity the last step's conversation saw.
    void identify(StationRow& row) {
        if (!sh_.identity) return;
        row.protocol = sh_.identity->protocol;
        row.extension = sh_.identity->extension;
        row.firmware = sh_.identity->firmware;
    }

    std::string stages(StationRow& row, const std::string& chip, Stage from) {
        Outcome o = Outcome::Done;
        if (from == Stage::UsbIdentity) {
            sh_.description = "USB: " + chip;
            sh_.assigned.reset();
            o = step(row, Stage::UsbIdentity,
                     [&](CommandHost& h) { return programUsbIdentity(h, o_.type); });
            if (sh_.assigned) row.serial = sh_.assigned->serial;
            if (o != Outcome::Done) return fail(row, Stage::UsbIdentity, o);
            if (!waitForSerial(row.serial))
                return fail(row, Stage::UsbIdentity, Outcome::Cancelled);
            shown_ = row.serial;
        }
        row.name = stationName(o_.nameTemplate, row.serial);
        sh_.description = "USB: " + row.serial;
        if (from <= Stage::Format) {
            o = format(row);
            identify(row);
            if (o != Outcome::Done) return fail(row, Stage::Format, o);
        }
        if (from <= Stage::Name) {
            sh_.boxes().inputs = {row.name};
            o = step(row, Stage::Name, &InstrumentNameCommand);
            sh_.boxes().inputs.clear();
            if (o != Outcome::Done) return fail(row, Stage::Name, o);
        }
        o = step(row, Stage::Header, [&](CommandHost& h) { return checkHeader(h); });
        identify(row);
        if (o != Outcome::Done) return fail(row, Stage::Header, o);
        if (!o_.backups.empty()) {
            std::error_code ec;
            std::filesystem::create_directories(o_.backups, ec);
            std::string summary;
            const std::string file =
                (std::filesystem::path(o_.backups) / (row.serial + ".ini")).string();
            o = step(row, Stage::Backup,
                     [&](CommandHost& h) { return BackupCommand(h, file, summary); });
            if (o != Outcome::Done) return fail(row, Stage::Backup, o);
        }
        return kResultDone;
    }

    CommandHost& host_;
    const StationOptions& o_;
    StationView& view_;
    StationHost sh_;
    std::string shown_;
};

}  // namespace

std::string stationName(const std::string& nameTemplate, const std::string& serial) {
    static const std::string kField = "{serial}";
    std::string name = nameTemplate;
    for (std::size_t at = name.find(kField); at != std::string::npos;
         at = name.find(kField, at + serial.size()))
        name.replace(at, kField.size(), serial);
    return name;
}

StationResult runStation(CommandHost& host, const StationOptions& options, StationView& view) {
    StationResult result;
    // A list that cannot be read would fail every instrument: the station does not start.
    const std::string list = resources::serialListPath(host.settings(), host.programFolder());
    backup::FileProblem problem;
    if (!resources::readSerialList(list, &problem)) {
        result.error = resources::serialListRefusedText(list, problem);
        return result;
    }
    if (!options.report.empty() && !openStationReport(options.report)) {
        result.error = kReportRefused + options.report;
        return result;
    }
    Station station(host, options, view);
    const auto finished = [&] {
        return options.count > 0 && result.done + result.failed >= options.count;
    };
    while (!finished()) {
        const auto chip = station.waitForChip();
        if (!chip) break;
        std::string listError;
        const auto from = station.firstStage(*chip, listError);
        if (!from) {
            view.stage(*chip + ": done already.");
            station.waitForUnplug(*chip);
            continue;
        }
        const StationRow row = station.run(*chip, *from, listError);
        view.row(row);
        if (!options.report.empty() && !appendStationRow(options.report, row)) {
            result.error = kReportRefused + options.report;
            return result;
        }
        if (row.result == kResultCancelled) {
            result.cancelled = true;
            break;
        }
        ++(row.result == kResultDone ? result.done : result.failed);
        if (!finished()) station.waitForUnplug(station.shown());
    }
    return result;
}

}  // namespace service
