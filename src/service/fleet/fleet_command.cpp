#include "service/fleet/fleet_command.h"

#include "service/fleet/fleet_git.h"
#include "service/fleet/fleet_layout.h"
#include "service/fleet/fleet_record.h"

namespace service::fleet {
namespace {

Outcome tell(CommandHost& host, const std::string& text, Outcome outcome) {
    host.dialogs().message(
        {text, "", platform::MessageIcon::Exclamation, platform::MessageButtons::Ok, 0});
    return outcome;
}

}  // namespace

Outcome FleetBackupCommand(CommandHost& host, const BackupRequest& request, BackupReport& report) {
    report.station = stationName(request.station);
    if (!makeFolder(request.folder))
        return tell(host, "The folder " + request.folder + " cannot be created.",
                    Outcome::FileError);
    if (request.commit && !isGitRepository(request.folder))
        return tell(host,
                    "The folder " + request.folder +
                        " is not a git repository (\"git init\" makes it one).",
                    Outcome::Refused);
    std::vector<Member> members;
    if (!request.instrumentsFile.empty()) {
        MemberList list = readMembers(request.instrumentsFile, report.station);
        if (!list.error.empty()) return tell(host, list.error, Outcome::FileError);
        members = std::move(list.members);
    } else {
        members = discoverMembers(request.sources, request.discoveryPorts, host.clock(),
                                  host.dialogs(), report.station);
    }
    if (members.empty()) return tell(host, "No instrument was found.", Outcome::Failed);

    report.stamp = stampOf(host.clock().localNow());
    RunSettings run;
    run.folder = request.folder;
    run.stamp = report.stamp;
    run.jobs = request.jobs;
    run.verify = host.verifica();
    run.trace = request.trace;
    run.stopRequested = request.stopRequested;
    const int total = static_cast<int>(members.size());
    if (request.onResult)
        run.onResult = [&](const MemberResult& r, int done) { request.onResult(r, done, total); };
    report.results = backupFleet(members, run, host.clock(), request.makeChannels);

    bool allSaved = true;
    std::vector<std::string> files = {indexFile(report.station)};
    for (const MemberResult& r : report.results) {
        allSaved = allSaved && r.saved;
        if (r.saved) files.push_back(r.file);
    }
    std::string why;
    if (!recordRun(request.folder, report.station, report.stamp, report.results, why))
        return tell(host, why, Outcome::FileError);
    if (request.commit) {
        const std::string error = commitFiles(
            request.folder, files, commitMessage(report.stamp, report.station, report.results));
        if (!error.empty())
            return tell(host, "The backups were not committed: " + error, Outcome::FileError);
        report.committed = true;
    }
    if (request.stopRequested && request.stopRequested()) return Outcome::Cancelled;
    return allSaved ? Outcome::Done : Outcome::Failed;
}

}  // namespace service::fleet
