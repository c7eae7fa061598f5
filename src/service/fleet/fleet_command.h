#pragma once
// krnctl fleet backup as one flow: the instruments from discovery or a file, their backups
// several at a time, the station's index, and with a repository the commit of the run.
#include <functional>
#include <string>
#include <vector>

#include "service/core/command_host.h"
#include "service/core/outcome.h"
#include "service/fleet/fleet_backup.h"
#include "service/fleet/fleet_members.h"

namespace service::fleet {

struct BackupRequest {
    std::string folder;           // DIR, made when missing
    std::string instrumentsFile;  // instead of discovery when not empty
    Sources sources;
    DiscoveryPorts discoveryPorts;
    int jobs = 8;
    bool commit = false;
    std::string station;  // stationName() when empty
    std::function<Channels()> makeChannels;
    platform::FrameTrace* trace = nullptr;  // taken with jobs 1 only
    std::function<bool()> stopRequested;
    // One call per instrument as it ends: its result, how many have ended, how many there are.
    std::function<void(const MemberResult&, int done, int total)> onResult;
};

struct BackupReport {
    std::string stamp;
    std::string station;
    std::vector<MemberResult> results;
    bool committed = false;
};

// Done when every instrument was saved (and committed when asked); Failed when none was found
// or any failed; Cancelled when stopRequested ended the run early; Refused when --commit is asked
// of a folder that is no repository; FileError when the folder, the index or the commit cannot be
// written. Every message goes to the host's boxes.
Outcome FleetBackupCommand(CommandHost& host, const BackupRequest& request, BackupReport& report);

}  // namespace service::fleet
