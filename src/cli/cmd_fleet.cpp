// krnctl fleet backup, fleet status: the configuration backups of many instruments in one folder.
#include <iostream>
#include <memory>

#include "cli/adapters.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/option_checks.h"
#include "service/core/menu_commands.h"
#include "service/fleet/fleet_command.h"
#include "service/fleet/fleet_layout.h"
#include "service/fleet/fleet_record.h"

namespace cli {
namespace {

namespace fleet = service::fleet;

struct FleetOptions {
    std::string folder;
    std::string instruments;
    bool ethernet = false, usb = false, serial = false, commit = false;
    int jobs = 8;
    std::string station;
    DiscoveryOptions discovery;
};

std::string who(const fleet::MemberResult& r) {
    const std::string& name = r.saved ? r.name : r.member.name;
    return name.empty() ? r.member.key : r.member.key + " (" + name + ")";
}

std::string changeText(const backup::KeyDifference& d) {
    auto value = [](const std::optional<std::string>& v) {
        return v ? "\"" + *v + "\"" : std::string("(missing)");
    };
    return d.key + " " + value(d.first) + " -> " + value(d.second);
}

// The progress line of one instrument.
std::string progressLine(const fleet::MemberResult& r, int done, int total) {
    std::string line = "[" + std::to_string(done) + "/" + std::to_string(total) + "] " + who(r);
    if (!r.saved) return line + ": failed: " + r.why.substr(0, r.why.find('\n'));
    line += ": saved " + r.file;
    if (r.previous.empty()) return line + " (first backup)";
    if (r.changes.empty()) return line + " (unchanged)";
    return line + " (" + std::to_string(r.changes.size()) +
           (r.changes.size() == 1 ? " key changed)" : " keys changed)");
}

void printSummary(const fleet::BackupReport& report, const std::string& folder) {
    int saved = 0, failed = 0, changed = 0;
    std::string changes, failures;
    for (const auto& r : report.results) {
        if (!r.saved) {
            ++failed;
            failures += "  " + who(r) + ": " +
                        (r.started ? r.why : std::string("not started (interrupted)")) + "\n";
            continue;
        }
        ++saved;
        if (!r.changed()) continue;
        ++changed;
        changes += "  " + who(r) + ":\n";
        for (const auto& d : r.changes) changes += "    " + changeText(d) + "\n";
    }
    std::cout << "Fleet backup " << report.stamp << " into " << folder << ": " << saved
              << " saved, " << failed << " failed, " << changed << " changed"
              << (report.committed ? ", committed" : "") << "\n";
    if (!changes.empty()) std::cout << "Changed since the previous backup:\n" << changes;
    if (!failures.empty()) std::cout << "Failed:\n" << failures;
}

void printJson(const fleet::BackupReport& report, const std::string& folder) {
    Json list = Json::array();
    for (const auto& r : report.results) {
        Json item = Json::object()
                        .add("Key", r.member.key)
                        .add("Description", r.member.description)
                        .add("Name", r.saved ? r.name : r.member.name)
                        .add("Saved", r.saved);
        if (r.saved) {
            item.add("File", r.file).add("Previous", r.previous);
            Json changes = Json::array();
            for (const auto& d : r.changes) {
                Json c = Json::object().add("Chiave", d.key);
                if (d.first) c.add("Primo", *d.first);
                if (d.second) c.add("Secondo", *d.second);
                changes.push(c);
            }
            item.add("Changes", changes);
        } else {
            item.add("Why", r.started ? r.why : std::string("not started (interrupted)"));
        }
        list.push(item);
    }
    std::cout << Json::object()
                     .add("Folder", folder)
                     .add("Stamp", report.stamp)
                     .add("Station", report.station)
                     .add("Committed", report.committed)
                     .add("Instruments", list)
                     .str()
              << "\n";
}

int runFleetBackup(Context& ctx, const FleetOptions& o) {
    const bool json = ctx.options().json;
    // The trace file has one writer and follows one link.
    if (ctx.trace() && o.jobs > 1) {
        ctx.message(
            "krnctl: --trace follows one link at a time: give fleet backup --jobs 1 with it");
        return kUsage;
    }
    fleet::BackupRequest request;
    request.folder = o.folder;
    request.instrumentsFile = o.instruments;
    // No channel chosen: all three, as the selection lists them.
    const bool all = !o.ethernet && !o.usb && !o.serial;
    request.sources = {o.usb || all,
                       o.serial || all,
                       o.ethernet || all,
                       {o.discovery.address, static_cast<std::uint16_t>(o.discovery.port)}};
    request.discoveryPorts = {&ctx.usb(), &ctx.serialPorts(), &ctx.moduleSocket()};
    request.jobs = o.jobs;
    request.commit = o.commit;
    request.station = o.station;
    // The simulated USB instrument of --simulate lives in this process: its one bridge is shared.
    platform::UsbBridge* shared = ctx.options().simulate.empty() ? nullptr : &ctx.usb();
    request.makeChannels = [shared] {
        fleet::Channels c;
        c.serial = adapters::serialPort();
        c.ports = adapters::serialPorts();
        c.socket = adapters::udpSocket();
        if (!shared) c.ownUsb = adapters::usbBridge();
        c.usb = shared ? shared : c.ownUsb.get();
        return c;
    };
    request.trace = ctx.trace();
    request.stopRequested = [] { return interrupted(); };
    request.onResult = [json](const fleet::MemberResult& r, int done, int total) {
        (json ? std::cerr : std::cout) << progressLine(r, done, total) << std::endl;
    };
    fleet::BackupReport report;
    const int rc = runService(ctx, [&](service::CommandHost& host) {
        return fleet::FleetBackupCommand(host, request, report);
    });
    if (!report.results.empty()) {
        if (json)
            printJson(report, o.folder);
        else
            printSummary(report, o.folder);
    }
    return rc;
}

int runFleetStatus(Context& ctx, const std::string& folder) {
    if (!fleet::isFolder(folder)) {
        ctx.message("krnctl: " + folder + " is not a folder");
        return kFileError;
    }
    const auto list = fleet::fleetStatus(folder);
    if (ctx.options().json) {
        Json out = Json::array();
        for (const auto& s : list)
            out.push(Json::object()
                         .add("Key", s.key)
                         .add("Name", s.name)
                         .add("Description", s.description)
                         .add("Backups", s.backups)
                         .add("LastBackup", s.lastBackup)
                         .add("LastChange", s.lastChange)
                         .add("LastAttempt", s.lastAttempt)
                         .add("LastResult", s.lastResult));
        std::cout << out.str() << "\n";
        return kDone;
    }
    if (list.empty()) std::cout << "(no instruments)\n";
    for (const auto& s : list) {
        std::cout << s.key << (s.name.empty() ? "" : " (" + s.name + ")") << "\n"
                  << "  last backup: " << (s.lastBackup.empty() ? "none" : s.lastBackup)
                  << ", last change: " << (s.lastChange.empty() ? "none" : s.lastChange) << "\n";
        if (!s.lastAttempt.empty())
            std::cout << "  last run: " << s.lastAttempt << ", " << s.lastResult << "\n";
    }
    return kDone;
}

}  // namespace

static void addFleetCommands(CLI::App& app, std::vector<Command>& commands) {
    CLI::App* group =
        commandGroup(app, "fleet", "Back up many instruments into one folder, and its status");
    auto o = std::make_shared<FleetOptions>();
    CLI::App* backup = group->add_subcommand(
        "backup", "Back up every instrument found (or listed) into DIR/KEY/DATE.ini");
    backup->add_option("--into", o->folder, "The fleet's folder (made when missing)")->required();
    backup->add_option("--instruments", o->instruments,
                       "A file of instrument descriptions, one per line, instead of discovery");
    backup->add_flag("--ethernet", o->ethernet, "Discover Ethernet modules");
    backup->add_flag("--usb", o->usb, "Discover USB devices (serial number QX...)");
    backup->add_flag("--serial", o->serial, "Take every serial port");
    backup->add_option("--jobs", o->jobs, "Conversations at a time, 1..64 (default 8)")
        ->check(CLI::Range(1, 64));
    backup->add_flag("--commit", o->commit,
                     "Commit the run's files in DIR, a git repository, naming the instruments "
                     "that changed");
    backup->add_option("--station", o->station,
                       "This computer's name in the folder (default: its host name)");
    addDiscoveryOptions(backup, o->discovery);
    commands.push_back({backup, [o](Context& ctx) { return runFleetBackup(ctx, *o); }});

    auto folder = std::make_shared<std::string>();
    CLI::App* status = group->add_subcommand(
        "status", "List the fleet's instruments with their last backup and last change");
    status->add_option("DIR", *folder, "The fleet's folder")->required();
    commands.push_back({status, [folder](Context& ctx) { return runFleetStatus(ctx, *folder); }});
}

KRN_CLI_COMMANDS(75, addFleetCommands)

}  // namespace cli
