#pragma once
// The station's report: one CSV row per instrument run, appended as each one ends, so that a
// station stopped at any moment keeps every row it made. The rows of earlier runs tell the
// station where an instrument that failed after its programming goes on.
#include <optional>
#include <string>
#include <vector>

namespace service {

// The stages of one instrument, in order, as the report names them.
enum class StationStage { UsbIdentity, Format, Name, Header, Backup };
std::string stageName(StationStage stage);
std::optional<StationStage> stageNamed(const std::string& name);

// One instrument's row of the report.
struct StationRow {
    std::string time;  // "yyyy-mm-dd hh:mm:ss" when the instrument was found
    std::string serial;
    std::string name;
    int protocol = 0;
    int extension = 0;
    std::string firmware;
    std::string result;       // "done", "failed" or "cancelled"
    std::string failedStage;  // the stage that failed or was cancelled; "" when done
    std::string reason;       // the last box of the failed stage (shown, not in the report)
    double seconds = 0;
    std::string operatorName;
};

inline constexpr const char* kResultDone = "done";
inline constexpr const char* kResultFailed = "failed";
inline constexpr const char* kResultCancelled = "cancelled";

// The header line and one row, comma-separated, a field quoted where it needs it.
std::string stationReportHeader();
std::string stationReportLine(const StationRow& row);

// Creates the report with its header when it is new; false when it cannot be written, so that
// the station does not start.
bool openStationReport(const std::string& report);
// Appends the row to the report (the header first when the report is new); false when it could
// not be written.
bool appendStationRow(const std::string& report, const StationRow& row);

// The last row of the report for that serial number (its result and failed stage only); nothing
// when the report holds none or cannot be read.
std::optional<StationRow> lastStationRow(const std::string& report, const std::string& serial);

}  // namespace service
