// krnfleetbench: krnctl fleet backup of many simulated Ethernet instruments, paced at 115200
// baud, with one conversation at a time and with several; wall time and peak memory of krnctl,
// printed as Markdown for docs/performance.md. Run by hand:
//   build/tools/krnfleetbench --krnctl build/src/cli/krnctl [--count 50] [--jobs 1,16]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "sim/profiles.h"
#include "sim/sim_fleet.h"

extern char** environ;

namespace {

struct Run {
    int exitCode = -1;
    double seconds = 0;
    long peakKiB = 0;
};

Run runKrnctl(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Run r;
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return r;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peakKiB = usage.ru_maxrss;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"krnfleetbench - fleet backup of simulated Ethernet instruments"};
    std::string krnctl;
    int count = 50;
    std::vector<int> jobs = {1, 16};
    app.add_option("--krnctl", krnctl, "The krnctl to measure")->required();
    app.add_option("--count", count, "Instruments in the fleet")->check(CLI::Range(1, 200));
    app.add_option("--jobs", jobs, "The --jobs values to compare")->delimiter(',');
    CLI11_PARSE(app, argc, argv);

    platform::SystemClock clock;
    sim::SimFleet fleet(clock);
    const char* profiles[] = {"p39e1060", "p36e51", "p41e1072", "p17e23"};
    const std::string work = "/tmp/krnfleetbench_" + std::to_string(::getpid());
    ::mkdir(work.c_str(), 0755);
    const std::string list = work + "/instruments.txt";
    {
        std::ofstream out(list);
        for (int i = 0; i < count; ++i) {
            sim::SimServer* s = fleet.add(*sim::findProfile(profiles[i % 4]), "127.0.0.1", true);
            if (!s) {
                std::fprintf(stderr, "krnfleetbench: no free UDP port\n");
                return 1;
            }
            out << "IP: 127.0.0.1:" << s->dataPort() << "\n";
        }
    }
    fleet.start();

    std::printf(
        "| --jobs | seconds | per instrument | speed-up | peak memory of krnctl | exit |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    double base = 0;
    for (int n : jobs) {
        const std::string into = work + "/fleet-" + std::to_string(n);
        const Run r = runKrnctl({krnctl, "fleet", "backup", "--into", into, "--instruments", list,
                                 "--jobs", std::to_string(n)});
        if (base == 0) base = r.seconds;
        std::printf("| %d | %.2f | %.3f s | %.1fx | %.1f MiB | %d |\n", n, r.seconds,
                    r.seconds / count, base / r.seconds, r.peakKiB / 1024.0, r.exitCode);
        std::fflush(stdout);
    }
    fleet.stop();
    std::string rm = "rm -rf " + work;
    return std::system(rm.c_str()) == 0 ? 0 : 1;
}
