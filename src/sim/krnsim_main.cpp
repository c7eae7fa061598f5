// krnsim: one simulated instrument, served on a pseudo-terminal and/or loopback UDP until
// SIGINT or SIGTERM.
#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <exception>
#include <iostream>
#include <memory>

#include "platform/frame_trace.h"
#include "platform/version.h"
#include "sim/flash_file.h"
#include "sim/nvram_file.h"
#include "sim/profiles.h"
#include "sim/sim_display.h"
#include "sim/sim_server.h"

namespace {
std::atomic<bool> g_stop{false};
void onSignal(int) {
    g_stop = true;
}

bool splitHostPort(const std::string& text, std::string& host, std::uint16_t& port) {
    auto colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    host = text.substr(0, colon);
    try {
        int p = std::stoi(text.substr(colon + 1));
        if (p < 0 || p > 65535) return false;
        port = static_cast<std::uint16_t>(p);
    } catch (...) {
        return false;
    }
    return !host.empty();
}
}  // namespace

namespace {

int runProgram(int argc, char** argv) {
    CLI::App app{"krnsim - a simulated KRN Visual instrument", "krnsim"};
    app.set_version_flag("--version", "krnsim " + platform::versionText());
    std::string profileName, udp, nvramPath, tracePath;
    bool serial = false, pace = false, listProfiles = false;
    int modulePort = 65535;
    int restartMs = 5000;
    int clockOffset = 0;
    int answerDelayMs = 0;
    app.add_option("--profile", profileName,
                   "Instrument generation to simulate (see --list-profiles)");
    app.add_flag("--list-profiles", listProfiles, "List the profiles and exit");
    app.add_flag("--serial", serial, "Serve the serial line on a pseudo-terminal");
    app.add_option("--udp", udp,
                   "Serve the Ethernet module's data port on HOST:PORT (PORT 0 = any free port)");
    app.add_option("--module-port", modulePort,
                   "The Ethernet module's command port (0 = any free port)")
        ->check(CLI::Range(0, 65535));
    app.add_option("--nvram", nvramPath,
                   "Load the NVRAM from FILE at start and save it there at exit");
    app.add_flag("--pace", pace, "Pace both directions at 115200 baud 8N1");
    app.add_option("--restart-ms", restartMs, "How long a restart keeps the instrument silent")
        ->check(CLI::Range(0, 60000));
    app.add_option("--trace", tracePath, "Write every frame to FILE");
    app.add_option("--clock-offset", clockOffset,
                   "Start the instrument's clock this many seconds off the computer's");
    app.add_option("--answer-delay-ms", answerDelayMs,
                   "Answer every request this many milliseconds late")
        ->check(CLI::Range(0, 600));
    std::string fontPath;
    app.add_option("--font", fontPath,
                   "Draw the display's texts with this 8x10 font file (\"Font8x10.asm\")");
    std::vector<std::string> flashFiles;
    app.add_option("--flash", flashFiles,
                   "Start with the flash holding FILE's records (firmware file format), as an "
                   "update leaves it");
    std::vector<std::string> moduleRejects, moduleSilent;
    app.add_option("--module-reject", moduleRejects,
                   "The Ethernet module answers its commands that begin with CMD with the "
                   "character C (default R) instead of its own answer: CMD or CMD=C, repeatable");
    app.add_option("--module-silent", moduleSilent,
                   "The Ethernet module leaves its commands that begin with CMD unanswered "
                   "(repeatable; \"\" for every command)");
    int memtestCycleMs = 2000;
    app.add_option("--memtest-cycle-ms", memtestCycleMs,
                   "How long one cycle of the instrument's memory test takes")
        ->check(CLI::Range(1, 600000));
    std::vector<std::uint32_t> faultyCells;
    app.add_option("--faulty-cell", faultyCells,
                   "An NVRAM cell that reads back with bit 0 inverted (repeatable)");
    CLI11_PARSE(app, argc, argv);

    if (listProfiles) {
        for (const auto& p : sim::profiles()) std::cout << p.name << "  " << p.description << "\n";
        return 0;
    }
    const sim::Profile* profile = sim::findProfile(profileName);
    if (!profile) {
        std::cerr << "krnsim: unknown profile \"" << profileName << "\"; known profiles:";
        for (const auto& p : sim::profiles()) std::cerr << ' ' << p.name;
        std::cerr << "\n";
        return 2;
    }
    if (!serial && udp.empty()) {
        std::cerr << "krnsim: nothing to serve; give --serial and/or --udp HOST:PORT\n";
        return 2;
    }

    platform::SystemClock clock;
    sim::SimInstrument instrument(*profile);
    instrument.setHistoryLimit(0, 0);  // it serves for hours; --trace is its record
    instrument.setPacing(pace);
    instrument.setAnswerDelay(std::chrono::milliseconds(answerDelayMs));
    instrument.setRestartSilence(std::chrono::milliseconds(restartMs));
    instrument.setClock(
        platform::fromEpochSeconds(platform::toEpochSeconds(clock.localNow()) + clockOffset),
        clock.now());
    instrument.setMemoryTestCycle(std::chrono::milliseconds(memtestCycleMs));
    for (std::uint32_t cell : faultyCells) instrument.setFaultyCell(cell);
    if (!fontPath.empty()) {
        auto font = sim::loadDisplayFont(fontPath);
        if (!font) {
            std::cerr << "krnsim: " << fontPath << " is not an 8x10 font file\n";
            return 4;
        }
        instrument.setDisplayFont(std::move(*font));
    }
    for (const std::string& f : flashFiles) {
        if (!sim::loadFlashRecords(f, instrument.flash())) {
            std::cerr << "krnsim: " << f << " is not a firmware file inside the flash\n";
            return 4;
        }
    }
    if (!nvramPath.empty()) {
        switch (sim::loadNvram(nvramPath, instrument.nvram())) {
            case sim::NvramLoad::Loaded:
                std::cout << "nvram: loaded " << nvramPath << "\n";
                break;
            case sim::NvramLoad::Missing:
                std::cout << "nvram: " << nvramPath << " is new\n";
                break;
            case sim::NvramLoad::WrongSize:
                std::cerr << "krnsim: " << nvramPath << " does not hold " << profile->nvramSize
                          << " bytes of NVRAM for profile " << profile->name << "\n";
                return 4;
            case sim::NvramLoad::Unreadable:
                std::cerr << "krnsim: cannot read " << nvramPath << "\n";
                return 4;
        }
    }

    std::unique_ptr<platform::FrameTrace> trace;
    if (!tracePath.empty()) {
        trace = std::make_unique<platform::FrameTrace>(clock, tracePath);
        if (!trace->ok()) {
            std::cerr << "krnsim: cannot write " << tracePath << "\n";
            return 4;
        }
        instrument.frameObserver = [&](bool request, const platform::Bytes& frame,
                                       std::uint8_t code) {
            trace->frame(
                "SIM",
                request ? platform::FrameTrace::Direction::Rx : platform::FrameTrace::Direction::Tx,
                frame, code);
        };
    }

    sim::SimServer server(instrument, clock);
    using Behaviour = sim::SimEthernetModule::Behaviour;
    for (const std::string& r : moduleRejects) {
        const std::size_t eq = r.find('=');
        if (eq == 0 || (eq != std::string::npos && eq + 2 != r.size())) {
            std::cerr << "krnsim: --module-reject takes CMD or CMD=C, for example SDS1 or GIP=E\n";
            return 2;
        }
        server.module().setCommandBehaviour(r.substr(0, eq), Behaviour::Reject,
                                            eq == std::string::npos ? 'R' : r[eq + 1]);
    }
    for (const std::string& prefix : moduleSilent)
        server.module().setCommandBehaviour(prefix, Behaviour::Silent);
    std::cout << "profile: " << profile->name << " (" << profile->description << ")\n";
    if (serial) {
        std::string path = server.openPty();
        if (path.empty()) {
            std::cerr << "krnsim: cannot create a pseudo-terminal\n";
            return 1;
        }
        std::cout << "serial: " << path << "\n";
    }
    if (!udp.empty()) {
        std::string host;
        std::uint16_t port = 0;
        if (!splitHostPort(udp, host, port)) {
            std::cerr << "krnsim: --udp takes HOST:PORT, for example 127.0.0.1:0\n";
            return 2;
        }
        if (!server.openUdp(host, port, static_cast<std::uint16_t>(modulePort))) {
            std::cerr << "krnsim: cannot bind UDP ports on " << host << "\n";
            return 1;
        }
        std::cout << "udp data: " << host << ":" << server.dataPort() << "\n";
        std::cout << "udp module: " << host << ":" << server.commandPort() << "\n";
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::cout << "ready" << std::endl;
    server.run(g_stop);

    if (!nvramPath.empty() && !sim::saveNvram(nvramPath, instrument.nvram())) {
        std::cerr << "krnsim: cannot save the NVRAM to " << nvramPath << "\n";
        return 4;
    }
    return 0;
}

}  // namespace

// No exception leaves the program: it ends with a message and a code that says it failed.
int main(int argc, char** argv) {
    try {
        return runProgram(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "krnsim: internal error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "krnsim: internal error\n";
    }
    return 1;
}
