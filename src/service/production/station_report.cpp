#include "service/production/station_report.h"

#include <array>
#include <cstdio>

#include "platform/files.h"

namespace service {
namespace {

constexpr std::array<const char*, 5> kStageNames = {"USB identity", "format", "name", "header",
                                                    "backup"};

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// The report is UTF-8, as its names are given.

// The fields of one CSV line (quotes as csvField writes them).
std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

std::string stageName(StationStage stage) {
    return kStageNames[static_cast<std::size_t>(stage)];
}

std::optional<StationStage> stageNamed(const std::string& name) {
    for (std::size_t i = 0; i < kStageNames.size(); ++i)
        if (name == kStageNames[i]) return static_cast<StationStage>(i);
    return std::nullopt;
}

std::string stationReportHeader() {
    return "time,serial,name,protocol,extension,firmware version,result,failed stage,seconds,"
           "operator";
}

std::string stationReportLine(const StationRow& r) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
    return csvField(r.time) + "," + csvField(r.serial) + "," + csvField(r.name) + "," +
           std::to_string(r.protocol) + "," + std::to_string(r.extension) + "," +
           csvField(r.firmware) + "," + r.result + "," + csvField(r.failedStage) + "," + seconds +
           "," + csvField(r.operatorName);
}

bool openStationReport(const std::string& report) {
    const bool fresh = platform::pathKind(report) == platform::PathKind::Missing;
    return !platform::appendFile(report, fresh ? stationReportHeader() + "\r\n" : std::string());
}

bool appendStationRow(const std::string& report, const StationRow& row) {
    // A report removed while the station runs starts again with its header.
    return openStationReport(report) &&
           !platform::appendFile(report, stationReportLine(row) + "\r\n");
}

std::optional<StationRow> lastStationRow(const std::string& report, const std::string& serial) {
    const auto lines = platform::readLines(report, platform::FileKind::Report);
    if (!lines) return std::nullopt;
    std::optional<StationRow> last;
    for (const std::string& line : *lines) {
        const auto f = csvFields(line);
        if (f.size() < 8 || f[1] != serial) continue;
        last = StationRow{};
        last->serial = f[1];
        last->result = f[6];
        last->failedStage = f[7];
    }
    return last;
}

}  // namespace service
