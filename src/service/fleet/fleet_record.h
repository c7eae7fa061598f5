#pragma once
// The fleet's index and its status: each station keeps DIR/index/STATION.ini, one section per
// instrument it backs up (Name, Description, LastAttempt, LastResult, LastBackup); the status
// reads every station's index beside the backups themselves.
#include <string>
#include <vector>

#include "service/fleet/fleet_backup.h"

namespace service::fleet {

// DIR/index/STATION.ini, relative to DIR.
std::string indexFile(const std::string& station);

// Enters the run's results into the station's index; false (with why) when it cannot be
// written.
bool recordRun(const std::string& dir, const std::string& station, const std::string& stamp,
               const std::vector<MemberResult>& results, std::string& why);

struct InstrumentStatus {
    std::string key;
    std::string name;
    std::string description;
    int backups = 0;
    std::string lastBackup;  // the stamp of the newest backup; "" when there is none
    // The stamp of the newest backup that differs from the one before it (the first backup
    // when none does).
    std::string lastChange;
    std::string lastAttempt;  // from the index: the last run that tried it, and its result
    std::string lastResult;
};

// Every instrument folder of DIR with its backups, and every instrument an index names.
std::vector<InstrumentStatus> fleetStatus(const std::string& dir);

}  // namespace service::fleet
