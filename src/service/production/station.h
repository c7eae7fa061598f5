#pragma once
// The production station: blank instruments plugged one after another on USB, each given the
// next serial number of the list, formatted from one profile with every write verified, named,
// its header checked and its configuration backed up, with one report row per instrument. Every
// stage is the service layer's own command, run through a StationHost that answers its
// questions. A chip that already holds a listed serial number failed after its programming: it
// keeps its number and goes on from the first stage not done.
#include <string>

#include "platform/clock.h"
#include "provisioning/profilo.h"
#include "service/core/command_host.h"
#include "service/production/station_report.h"

namespace service {

struct StationOptions {
    provisioning::CProfilo profile;
    int type = 3;
    std::string nameTemplate = "KRN {serial}";  // "{serial}" becomes the serial number
    int count = 0;                              // instruments to run; 0: until stopped
    std::string report;                         // CSV file the rows are appended to, or none
    std::string backups;                        // folder of the SERIAL.ini backups, or none
    std::string operatorName;
    // How often the USB devices are listed while the station waits for a plug or an unplug.
    platform::Duration poll = std::chrono::milliseconds(250);
};

// What the station shows and asks while it runs.
class StationView {
public:
    virtual ~StationView() = default;
    // The stage text ("Waiting for an instrument on USB...", "QX300126: format", ...).
    virtual void stage(const std::string& text) = 0;
    // One instrument finished, failed or was cancelled.
    virtual void row(const StationRow& row) = 0;
    // The instrument should now be unplugged (a simulated bench unplugs it here).
    virtual void unplugRequested(const std::string& serial) { (void)serial; }
    // Stop (Ctrl-C, the Stop button): the station ends between instruments, and the running one
    // is cancelled at its next check.
    virtual bool stopRequested() = 0;
};

struct StationResult {
    int done = 0;
    int failed = 0;
    bool cancelled = false;
    // The station could not start or go on: the serial-number list could not be read, the report
    // could not be written.
    std::string error;
};

inline constexpr const char* kStationWaiting = "Waiting for an instrument on USB...";
inline constexpr const char* kStationOneAtATime = "Connect only one instrument at a time.";

// The name template with the serial number put in for every "{serial}".
std::string stationName(const std::string& nameTemplate, const std::string& serial);

StationResult runStation(CommandHost& host, const StationOptions& options, StationView& view);

}  // namespace service
