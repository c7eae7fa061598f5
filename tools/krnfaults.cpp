// krnfaults: the fault matrix. Runs krnctl as a process against a simulated instrument served
// on a pseudo-terminal and on loopback UDP, with one of the simulator's faults aimed at a random
// frame of the command, and compares every printed value with the simulator's memory.
//
//   krnfaults --krnctl build/src/cli/krnctl --runs 200 [--seed N] [--scenarios a,b] [--channels
//   pty,udp] krnfaults --krnctl build/src/cli/krnctl --soak 100000 [--seed N]
//
// Exit status 0 when no run was undetected, hung or crashed; 1 otherwise.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iomanip>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "krnfaults_soak.h"
#include "sim/sim_server.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using sim::Fault;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kFrom = 0x10000;
constexpr std::uint32_t kCount = 48;
constexpr auto kHangLimit = std::chrono::seconds(60);
// The write frames of an import of kCount bytes: it writes each byte on its own (command 14).
constexpr int kWriteFrames = static_cast<int>(kCount);

enum class Verdict { Correct, Detected, Undetected, Hang, Crash };

struct Cell {
    int runs = 0, correct = 0, detected = 0, undetected = 0, hangs = 0, crashes = 0;
    double longestGiveUp = 0;
    void add(Verdict v, double seconds) {
        ++runs;
        switch (v) {
            case Verdict::Correct:
                ++correct;
                break;
            case Verdict::Detected:
                ++detected;
                longestGiveUp = std::max(longestGiveUp, seconds);
                break;
            case Verdict::Undetected:
                ++undetected;
                break;
            case Verdict::Hang:
                ++hangs;
                break;
            case Verdict::Crash:
                ++crashes;
                break;
        }
    }
};

struct Aim {
    int frame;  // the request frame the fault is aimed at
    std::mt19937& rng;
    bool udp;
};

// What a scenario does to the instrument (and, for stray datagrams, to the server).
using Scenario = void (*)(sim::SimServer&, sim::SimInstrument&, const Aim&);

int pick(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// The scenarios that run a memory import of kCount new bytes instead of the export: the
// verdict compares the instrument's memory with the file.
bool writes(const std::string& scenario) {
    return scenario == "drop";
}

const std::vector<std::pair<std::string, Scenario>>& scenarios() {
    static const std::vector<std::pair<std::string, Scenario>> list = {
        {"bitflip",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             // One or two bits of an answer byte (the echo of a read request is 6 bytes).
             std::uint8_t mask = static_cast<std::uint8_t>(1u << pick(a.rng, 0, 7));
             if (pick(a.rng, 0, 1)) mask ^= static_cast<std::uint8_t>(1u << pick(a.rng, 0, 7));
             if (mask == 0) mask = 1;
             in.addFault({Fault::Kind::CorruptByte, pick(a.rng, 6, 22), {}, a.frame, {mask}});
         }},
        {"wrongecho",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             in.addFault({Fault::Kind::WrongEcho, pick(a.rng, 0, 5), {}, a.frame});
         }},
        {"noecho",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             in.addFault({Fault::Kind::DropByte, pick(a.rng, 0, 5), {}, a.frame});
         }},
        {"split",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             // The answer stops half-way for about the wait limit, either side of it.
             const int limitMs = a.udp ? 1000 : 700;
             in.addFault({Fault::Kind::DelayByte, pick(a.rng, 6, 12),
                          std::chrono::milliseconds(limitMs + pick(a.rng, -60, 60)), a.frame});
         }},
        {"late",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             // Released after the echo of one of the next four requests: a retry of the same
             // request or, when the retries pass it, the next request.
             in.addFault({Fault::Kind::Late, pick(a.rng, 0, 3), {}, a.frame});
         }},
        {"noise",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             platform::Bytes noise(static_cast<std::size_t>(pick(a.rng, 1, 8)));
             for (auto& b : noise) b = static_cast<std::uint8_t>(pick(a.rng, 0, 255));
             in.addFault({Fault::Kind::Noise, 0, {}, a.frame, noise});
         }},
        {"stray",
         [](sim::SimServer& server, sim::SimInstrument&, const Aim& a) {
             // On a serial line there is no other sender; the run is a fault-free control.
             if (a.udp) server.sendStrayDatagrams(pick(a.rng, 1, 60), {0x02, 0x7F, 0x81});
         }},
        {"silent",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             in.addFault({Fault::Kind::Silence, 0, {}, a.frame});
         }},
        {"restart",
         [](sim::SimServer&, sim::SimInstrument& in, const Aim& a) {
             in.addFault({Fault::Kind::Restart, 0, {}, a.frame});
         }},
        {"drop",
         [](sim::SimServer& server, sim::SimInstrument& in, const Aim& a) {
             // A memory import (see writes()): the link goes when one of its write frames has
             // reached the instrument, before the answer leaves.
             in.frameObserver = [&server, left = pick(a.rng, 0, kWriteFrames - 1)](
                                    bool request, const platform::Bytes&,
                                    std::uint8_t code) mutable {
                 if (request && code == 14 && left-- == 0) server.dropLink();
             };
         }},
    };
    return list;
}

struct Outcome {
    int exitCode = -1;
    bool signalled = false;
    bool hung = false;
    double seconds = 0;
};

Outcome runProcess(std::vector<std::string> args, const fs::path& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Outcome o;
    pid_t pid = -1;
    const auto t0 = Clock::now();
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::cerr << "krnfaults: cannot start " << argv[0] << "\n";
        std::exit(2);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() - t0 > kHangLimit) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            o.hung = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    o.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!o.hung) {
        o.signalled = WIFSIGNALED(status);
        o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return o;
}

// Every "ADDR   DEC   HEX" line must hold the simulator's byte; "ADDR   ERRORE!" lines and a
// missing file are reported failures. Returns false on a wrong value.
bool valuesMatch(const fs::path& file, const std::vector<std::uint8_t>& nvram, int& complete) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    complete = 0;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string addr, dec, hex;
        s >> addr >> dec >> hex;
        if (dec == "ERRORE!") continue;
        const unsigned long a = std::stoul(addr, nullptr, 16);
        if (a >= nvram.size() || std::stoul(dec) != nvram[a] ||
            std::stoul(hex, nullptr, 16) != nvram[a])
            return false;
        ++complete;
    }
    return true;
}

struct Setup {
    std::string krnctl;
    fs::path work;
};

std::string basicHex(std::uint32_t n) {
    std::ostringstream s;
    s << "&H" << std::hex << std::uppercase << n;
    return s.str();
}

// krnctl on the instrument of desc, with its trace, then the command's own arguments.
std::vector<std::string> krnctlCommand(const Setup& setup, const std::string& desc,
                                       std::initializer_list<std::string> command) {
    std::vector<std::string> args{setup.krnctl,
                                  "--folder",
                                  setup.work.string(),
                                  "--instrument",
                                  desc,
                                  "--trace",
                                  (setup.work / "trace.txt").string()};
    args.insert(args.end(), command);
    return args;
}

std::vector<std::string> exportCommand(const Setup& setup, const std::string& desc,
                                       const fs::path& out) {
    return krnctlCommand(setup, desc,
                         {"memory", "export", "--from", basicHex(kFrom), "--to",
                          basicHex(kFrom + kCount - 1), "-o", out.string()});
}

std::vector<std::string> importCommand(const Setup& setup, const std::string& desc,
                                       const fs::path& file) {
    return krnctlCommand(setup, desc, {"--yes", "memory", "import", file.string()});
}

// A memory file that gives each of the kCount bytes a new value; the values go to `values`.
void writeImportFile(const fs::path& file, const std::vector<std::uint8_t>& nvram,
                     std::mt19937& rng, std::vector<std::uint8_t>& values) {
    std::ofstream out(file, std::ios::binary);
    values.clear();
    for (std::uint32_t i = 0; i < kCount; ++i) {
        const auto v = static_cast<std::uint8_t>((nvram[kFrom + i] + pick(rng, 1, 255)) % 256);
        values.push_back(v);
        out << std::hex << std::uppercase << kFrom + i << "   " << std::dec << int{v} << "   "
            << std::hex << int{v} << "\r\n";
    }
}

Verdict runOnce(const Setup& setup, bool udp, Scenario scenario, bool write, std::mt19937& rng,
                int frames, double& seconds) {
    platform::SystemClock clock;
    sim::SimInstrument instrument(*sim::findProfile("p36e51"));
    instrument.setRestartSilence(std::chrono::milliseconds(1500));
    instrument.setClock(clock.localNow(), clock.now());
    for (std::uint32_t i = 0; i < kCount; ++i)
        instrument.nvram()[kFrom + i] = static_cast<std::uint8_t>(pick(rng, 0, 255));
    sim::SimServer server(instrument, clock);
    std::string desc;
    if (udp) {
        if (!server.openUdp("127.0.0.1", 0, 0)) return Verdict::Crash;
        desc = "IP: 127.0.0.1:" + std::to_string(server.dataPort());
    } else {
        desc = "COM: " + server.openPty();
    }
    if (frames > 0) scenario(server, instrument, Aim{pick(rng, 0, frames - 1), rng, udp});
    server.start();
    const fs::path out = setup.work / "Memory.asm";
    fs::remove(out);
    std::vector<std::uint8_t> values;
    if (write) writeImportFile(out, instrument.nvram(), rng, values);
    const Outcome o =
        runProcess(write ? importCommand(setup, desc, out) : exportCommand(setup, desc, out),
                   setup.work / "krnctl.log");
    server.stop();
    seconds = o.seconds;
    if (o.hung) return Verdict::Hang;
    if (o.signalled || o.exitCode < 0 || o.exitCode > 4) return Verdict::Crash;
    if (write) {
        const auto& m = instrument.nvram();
        const bool written = std::equal(values.begin(), values.end(), m.begin() + kFrom);
        if (o.exitCode != 0) return Verdict::Detected;
        return written ? Verdict::Correct : Verdict::Undetected;
    }
    int complete = 0;
    if (!valuesMatch(out, instrument.nvram(), complete)) return Verdict::Undetected;
    if (o.exitCode == 0 && complete == static_cast<int>(kCount)) return Verdict::Correct;
    if (o.exitCode == 0 && !fs::exists(out)) return Verdict::Undetected;  // success without a file
    return Verdict::Detected;
}

// The frames a fault-free export takes on a channel, so that faults land inside the command.
int calibrate(const Setup& setup, bool udp) {
    platform::SystemClock clock;
    sim::SimInstrument instrument(*sim::findProfile("p36e51"));
    instrument.setClock(clock.localNow(), clock.now());
    sim::SimServer server(instrument, clock);
    const std::string desc = udp && server.openUdp("127.0.0.1", 0, 0)
                                 ? "IP: 127.0.0.1:" + std::to_string(server.dataPort())
                                 : "COM: " + server.openPty();
    server.start();
    runProcess(exportCommand(setup, desc, setup.work / "calibrate.asm"), setup.work / "krnctl.log");
    server.stop();
    return static_cast<int>(instrument.requests().size());
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"krnfaults - the fault matrix of krnctl against the simulated instrument"};
    Setup setup;
    int runs = 3;
    unsigned seed = std::random_device{}();
    std::vector<std::string> only, channels{"pty", "udp"};
    app.add_option("--krnctl", setup.krnctl, "The krnctl program (for the matrix)");
    app.add_option("--runs", runs, "Runs per scenario and channel")->check(CLI::Range(1, 100000));
    app.add_option("--seed", seed, "Seed of the random aims (printed)");
    app.add_option("--scenarios", only, "Only these scenarios")->delimiter(',');
    app.add_option("--channels", channels, "pty, udp or both")->delimiter(',');
    long soak = 0;
    app.add_option("--soak", soak,
                   "Instead of the matrix: this many reads in process with mixed faults")
        ->check(CLI::Range(1L, 100000000L));
    int soakFault = -1;
    app.add_option("--soak-fault", soakFault,
                   "Soak with one fault kind only (0..8, see krnfaults_soak.h)")
        ->check(CLI::Range(-1, 8));
    bool soakVerify = false;
    app.add_flag("--soak-verify", soakVerify,
                 "Soak with the reads verified (read again after a recovery, as --verify)");
    CLI11_PARSE(app, argc, argv);
    if (soak > 0) return runSoak(soak, seed, soakFault, soakVerify);
    if (setup.krnctl.empty()) {
        std::cerr << "krnfaults: the matrix needs --krnctl PATH\n";
        return 2;
    }

    setup.work = fs::temp_directory_path() / ("krnfaults-" + std::to_string(::getpid()));
    fs::create_directories(setup.work);
    // The runs start a copy: a krnctl being rebuilt meanwhile would fail to start and count as
    // crashes.
    std::error_code copied;
    fs::copy_file(setup.krnctl, setup.work / "krnctl", fs::copy_options::overwrite_existing,
                  copied);
    if (copied) {
        std::cerr << "krnfaults: cannot copy " << setup.krnctl << ": " << copied.message() << "\n";
        fs::remove_all(setup.work);
        return 2;
    }
    setup.krnctl = (setup.work / "krnctl").string();
    std::mt19937 rng(seed);
    std::cout << "seed " << seed << ", " << runs << " runs per cell, memory export of " << kCount
              << " bytes (p36e51)\n\n";
    std::cout << std::left << std::setw(10) << "scenario" << std::setw(8) << "channel" << std::right
              << std::setw(6) << "runs" << std::setw(9) << "correct" << std::setw(10) << "detected"
              << std::setw(12) << "undetected" << std::setw(7) << "hangs" << std::setw(9)
              << "crashes" << std::setw(14) << "give-up max"
              << "\n";
    bool clean = true;
    for (const std::string& channel : channels) {
        const bool udp = channel == "udp";
        const int frames = calibrate(setup, udp);
        for (const auto& [name, scenario] : scenarios()) {
            if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) continue;
            Cell cell;
            for (int i = 0; i < runs; ++i) {
                double seconds = 0;
                const Verdict v = runOnce(setup, udp, scenario, writes(name), rng, frames, seconds);
                cell.add(v, seconds);
                if (v == Verdict::Undetected || v == Verdict::Crash || v == Verdict::Hang) {
                    const fs::path keep =
                        setup.work.parent_path() /
                        ("krnfaults-" + name + "-" + channel + "-" + std::to_string(i) + ".log");
                    fs::copy_file(setup.work / "krnctl.log", keep,
                                  fs::copy_options::overwrite_existing);
                    // The frames of the run, to see where the fault landed.
                    fs::path trace = keep;
                    fs::copy_file(setup.work / "trace.txt", trace.replace_extension(".trace"),
                                  fs::copy_options::overwrite_existing);
                    std::cerr << name << " " << channel << " run " << i << ": see " << keep << "\n";
                }
            }
            clean = clean && cell.undetected == 0 && cell.hangs == 0 && cell.crashes == 0;
            std::cout << std::left << std::setw(10) << name << std::setw(8) << channel << std::right
                      << std::setw(6) << cell.runs << std::setw(9) << cell.correct << std::setw(10)
                      << cell.detected << std::setw(12) << cell.undetected << std::setw(7)
                      << cell.hangs << std::setw(9) << cell.crashes << std::setw(12) << std::fixed
                      << std::setprecision(2) << cell.longestGiveUp << " s" << std::endl;
        }
    }
    fs::remove_all(setup.work);
    return clean ? 0 : 1;
}
