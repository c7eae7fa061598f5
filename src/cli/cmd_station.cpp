// krnctl station: the production station. Blank instruments plugged one after another on USB each
// get the next serial number, the profile's format, their name, a header check and a backup, and
// one report row. With --simulate PROFILE the simulated bench plugs blank instruments of that
// profile one after another (--count of them, three without it).
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "provisioning/profile_file.h"
#include "service/production/station.h"
#include "sim/sim_usb_bench.h"

namespace cli {
namespace {

// The simulated bench's instruments restart and test their memory quickly.
constexpr auto kBenchRestart = std::chrono::milliseconds(200);
constexpr auto kBenchMemoryTestCycle = std::chrono::milliseconds(100);
constexpr int kBenchInstruments = 3;
constexpr const char* kStartQuestion =
    "Every instrument plugged in will get a serial number and be formatted. Start the production "
    "station?";

struct StationCliOptions {
    std::string profile;
    service::StationOptions station;
};

// Stage texts on stderr, one status line per instrument on stdout.
class TerminalStation final : public service::StationView {
public:
    explicit TerminalStation(Context& ctx) : ctx_(ctx) {}
    void stage(const std::string& text) override {
        if (text != last_) ctx_.message(text);
        last_ = text;
    }
    void row(const service::StationRow& r) override {
        std::cout << (r.serial.empty() ? std::string("(no serial)") : r.serial) << "  " << r.name
                  << "  " << r.result;
        if (!r.failedStage.empty()) std::cout << " at " << r.failedStage;
        if (!r.reason.empty()) std::cout << ": " << r.reason.substr(0, r.reason.find('\n'));
        std::cout << "  " << static_cast<long>(r.seconds + 0.5) << " s" << std::endl;
    }
    void unplugRequested(const std::string&) override {
        if (!bench) return;
        bench->unplug();
        bench->plugNext();
    }
    bool stopRequested() override { return interrupted(); }
    std::unique_ptr<sim::SimUsbBench> bench;

private:
    Context& ctx_;
    std::string last_;
};

// The operator named in the report: the option, else the login name.
std::string operatorName(const std::string& given) {
    if (!given.empty()) return given;
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"})
        if (const char* v = std::getenv(variable)) return v;
    return {};
}

int runStation(Context& ctx, StationCliOptions& o) {
    if (o.station.type != 3 && o.station.type != 4) {
        ctx.message("krnctl: --type takes 3 or 4");
        return kUsage;
    }
    if (o.station.count < 0) {
        ctx.message("krnctl: --count takes a number of instruments, 1 or more");
        return kUsage;
    }
    const provisioning::ProfiloLetto letto = provisioning::leggiFileProfilo(o.profile);
    if (!letto.profilo) {
        ctx.message("krnctl: " + letto.errore);
        return kFileError;
    }
    o.station.profile = *letto.profilo;
    o.station.operatorName = operatorName(o.station.operatorName);
    TerminalStation view(ctx);
    if (auto* bridge = dynamic_cast<sim::SimUsbBridge*>(&ctx.usb())) {
        const sim::Profile* profile = sim::findProfile(ctx.options().simulate);
        const int count = o.station.count > 0 ? o.station.count : kBenchInstruments;
        if (o.station.count == 0) o.station.count = count;
        view.bench = std::make_unique<sim::SimUsbBench>(*bridge, *profile, count);
        view.bench->setTimes(kBenchRestart, kBenchMemoryTestCycle);
        view.bench->plugNext();
    }
    if (ctx.dialogs().message({kStartQuestion, "", platform::MessageIcon::Question,
                               platform::MessageButtons::YesNo, 1}) != platform::MessageResult::Yes)
        return kRefused;
    service::StationResult result;
    const int code = runService(ctx, [&](service::CommandHost& host) {
        result = service::runStation(host, o.station, view);
        return result.cancelled ? service::Outcome::Cancelled : service::Outcome::Done;
    });
    std::cout << result.done << " done, " << result.failed << " failed" << std::endl;
    if (!result.error.empty()) {
        ctx.message("krnctl: " + result.error);
        return kFileError;
    }
    if (code != kDone) return code;
    return result.failed > 0 ? kInstrumentFailed : kDone;
}

}  // namespace

static void addStationCommand(CLI::App& app, std::vector<Command>& commands) {
    auto o = std::make_shared<StationCliOptions>();
    CLI::App* station = app.add_subcommand(
        "station",
        "Production station: every blank instrument plugged on USB gets the next serial number, "
        "the profile's format, its name, a header check and a backup (asks once unless --yes)");
    station->add_option("--profile", o->profile, "Profile file of the format")->required();
    station->add_option("--type", o->station.type, "Device type: 3 (default) or 4");
    station->add_option("--name", o->station.nameTemplate,
                        "Name template; {serial} is the serial number (default \"KRN {serial}\")");
    station->add_option("--count", o->station.count,
                        "Stop after N instruments (default: until Ctrl-C)");
    station->add_option("--report", o->station.report,
                        "CSV report the rows are appended to (created with its header)");
    station->add_option("--backups", o->station.backups,
                        "Folder of the backups, one SERIAL.ini per instrument");
    station->add_option("--operator", o->station.operatorName,
                        "Operator named in the report (default: the login name)");
    commands.push_back({station, [o](Context& ctx) { return runStation(ctx, *o); }});
}

KRN_CLI_COMMANDS(175, addStationCommand)

}  // namespace cli
