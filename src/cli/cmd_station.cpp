// krnctl station: the production station. Blank instruments plugged one after another on USB each
// get the next serial number, the profile's format, their name, a header check and a backup, and
// one report row. With --simulate PROFILE the simulated bench plugs blank instruments of that
// profile one after another (--count of them, three without it); with --bench DIR the bench's
// instruments are kept in DIR between runs, so that a later run meets them as they were left.
#include <algorithm>
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
    std::string bench;  // where the simulated bench is kept between runs
    int faulty = 0;     // the simulated instrument (1 the first) whose memory test fails
};

// A cell of the simulated NVRAM that the memory test of the format finds faulty.
constexpr std::uint32_t kBenchFaultyCell = 2000;

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
    // A simulated bench ends when its last instrument was unplugged.
    bool stopRequested() override { return interrupted() || (bench && bench->plugged() < 0); }
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

// The simulated bench: --count instruments (three without it), or as many as --bench keeps when
// it keeps more; the first one plugged.
int plugBench(Context& ctx, StationCliOptions& o, sim::SimUsbBridge& bridge,
              TerminalStation& view) {
    const sim::Profile* profile = sim::findProfile(ctx.options().simulate);
    int count = o.station.count > 0 ? o.station.count : kBenchInstruments;
    if (o.station.count == 0) o.station.count = count;
    if (!o.bench.empty()) count = std::max(count, sim::SimUsbBench::keptIn(o.bench));
    if (o.faulty < 0 || o.faulty > count) {
        ctx.message("krnctl: --bench-faulty takes an instrument of the bench, 1 to " +
                    std::to_string(count));
        return kUsage;
    }
    view.bench = std::make_unique<sim::SimUsbBench>(bridge, *profile, count);
    view.bench->setTimes(kBenchRestart, kBenchMemoryTestCycle);
    if (!o.bench.empty()) {
        if (const std::string problem = view.bench->load(o.bench); !problem.empty()) {
            ctx.message("krnctl: " + problem);
            return kFileError;
        }
    }
    if (o.faulty > 0) view.bench->instrument(o.faulty - 1).setFaultyCell(kBenchFaultyCell);
    view.bench->plugNext();
    return kDone;
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
    TerminalStation view(ctx);
    auto* bridge = dynamic_cast<sim::SimUsbBridge*>(&ctx.usb());
    if (!bridge && (!o.bench.empty() || o.faulty != 0)) {
        ctx.message("krnctl: --bench and --bench-faulty need --simulate");
        return kUsage;
    }
    if (bridge) {
        if (const int code = plugBench(ctx, o, *bridge, view); code != kDone) return code;
    }
    const provisioning::ProfiloLetto letto = provisioning::leggiFileProfilo(o.profile);
    if (!letto.profilo) {
        ctx.message("krnctl: " + letto.errore);
        return kFileError;
    }
    o.station.profile = *letto.profilo;
    o.station.operatorName = operatorName(o.station.operatorName);
    if (ctx.dialogs().message({kStartQuestion, "", platform::MessageIcon::Question,
                               platform::MessageButtons::YesNo, 1}) != platform::MessageResult::Yes)
        return kRefused;
    service::StationResult result;
    const int code = runService(ctx, [&](service::CommandHost& host) {
        result = service::runStation(host, o.station, view);
        return result.cancelled ? service::Outcome::Cancelled : service::Outcome::Done;
    });
    std::cout << result.done << " done, " << result.failed << " failed" << std::endl;
    if (view.bench && !o.bench.empty() && !view.bench->save(o.bench)) {
        ctx.message("krnctl: cannot keep the simulated bench in " + o.bench);
        return kFileError;
    }
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
    station->add_option("--bench", o->bench,
                        "With --simulate: the simulated bench is kept in DIR between runs, "
                        "instrument N as N.eeprom and N.nvram");
    station->add_option("--bench-faulty", o->faulty,
                        "With --simulate: instrument N of the bench (1 the first) has a faulty "
                        "memory cell, so its format fails");
    commands.push_back({station, [o](Context& ctx) { return runStation(ctx, *o); }});
}

KRN_CLI_COMMANDS(175, addStationCommand)

}  // namespace cli
