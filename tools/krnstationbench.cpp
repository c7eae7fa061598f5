// krnstationbench: the production station's own time per instrument, beyond the format and the
// USB programming that every instrument needs anyway. A bench of blank simulated instruments
// (protocol 36, paced at 115200 baud, on virtual time: the instrument's restarts and memory test
// take their real length without being waited for) runs through the station; each stage is timed
// on the line (virtual time) and on the computer (wall time of the tool and the simulator).
// Usage: krnstationbench [INSTRUMENTS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "resources/serial_list.h"
#include "service/production/station.h"
#include "sim/sim_usb_bench.h"
#include "support/image_folder.h"
#include "support/test_host.h"

namespace {

using Wall = std::chrono::steady_clock;

// Virtual and wall seconds spent in each part of the station's work.
struct Times {
    double line = 0;
    double wall = 0;
};

// Times each stage from the stage texts the station shows: a part runs until the next text.
class Stopwatch final : public service::StationView {
public:
    Stopwatch(platform::Clock& clock, sim::SimUsbBench& bench) : clock_(clock), bench_(bench) {}
    void stage(const std::string& text) override { lap(partOf(text)); }
    void row(const service::StationRow& r) override {
        lap("station");
        if (r.result != service::kResultDone)
            std::fprintf(stderr, "%s: %s\n", r.serial.c_str(), r.reason.c_str());
        ++rows;
    }
    void unplugRequested(const std::string&) override { bench_.plugNext(); }
    bool stopRequested() override { return false; }

    std::map<std::string, Times> parts;
    int rows = 0;

private:
    // The USB identity until the chip is seen again, the format, and the station's own rest.
    static std::string partOf(const std::string& text) {
        for (const char* part : {"USB identity", "format"})
            if (text.size() > std::strlen(part) &&
                text.compare(text.size() - std::strlen(part), std::string::npos, part) == 0)
                return part;
        return "station";
    }
    void lap(const std::string& next) {
        const auto line = clock_.now();
        const auto wall = Wall::now();
        if (!current_.empty()) {
            parts[current_].line += std::chrono::duration<double>(line - lineStart_).count();
            parts[current_].wall += std::chrono::duration<double>(wall - wallStart_).count();
        }
        current_ = next;
        lineStart_ = line;
        wallStart_ = wall;
    }

    platform::Clock& clock_;
    sim::SimUsbBench& bench_;
    std::string current_;
    platform::TimePoint lineStart_{};
    Wall::time_point wallStart_{};
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    testing_support::ImageFolder folder("stationbench");
    folder.shipped();
    testing_support::InstrumentRig rig("p36e51");
    testing_support::TestHost host(rig, folder.path());
    const std::string list = folder.file("SNlist.txt");
    resources::writeSerialList(list, {});
    host.store.setValue(resources::kSerialListApplication, "Main", resources::kSerialListKey, list);
    sim::SimUsbBench bench(rig.usb, *sim::findProfile("p36e51"), count);
    for (int i = 0; i < count; ++i) bench.instrument(i).setPacing(true);
    bench.plug(0);
    service::StationOptions options;
    options.count = count;
    options.report = folder.file("report.csv");
    options.backups = folder.file("backups");
    Stopwatch watch(rig.clock, bench);
    const auto result = service::runStation(host, options, watch);
    if (result.done != count) {
        std::fprintf(stderr, "krnstationbench: %d of %d instruments done %s\n", result.done, count,
                     result.error.c_str());
        return 1;
    }
    double line = 0, wall = 0;
    for (const auto& [part, t] : watch.parts) {
        line += t.line;
        wall += t.wall;
    }
    std::printf(
        "| Part (per instrument, %d instruments) | Line time | Share | Wall time | Share |\n",
        count);
    std::printf("|---|---|---|---|---|\n");
    for (const auto& [part, t] : watch.parts)
        std::printf("| %s | %.2f s | %.2f %% | %.3f s | %.1f %% |\n", part.c_str(), t.line / count,
                    100 * t.line / line, t.wall / count, 100 * t.wall / wall);
    std::printf("| total | %.2f s | | %.3f s | |\n", line / count, wall / count);
    return 0;
}
