// krnbench: throughput and CPU of the frame link against the simulator, printed as Markdown
// for docs/performance.md. Run by hand: build/tools/krnbench
#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <functional>

#include <sstream>

#include "instrument/uckrnvisual.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_udp_socket.h"
#include "service/backup/memory_commands.h"
#include "service/device/firmware_update.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_server.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kByteTime = 10.0 / 115200.0;

double threadCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Exchanges per second of one-byte reads.
double rate(instrument::UCKRNVisual& c, int n) {
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
        if (!c.link().exchange(krnlink::Request(15).address(0x000123), false)) {
            std::fprintf(stderr, "exchange failed\n");
            return 0;
        }
    }
    return n / std::chrono::duration<double>(Clock::now() - t0).count();
}

// Mean seconds of one exchange.
double meanExchange(instrument::UCKRNVisual& c, const krnlink::Request& request, int n) {
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i)
        if (!c.link().exchange(request, false)) std::fprintf(stderr, "exchange failed\n");
    return std::chrono::duration<double>(Clock::now() - t0).count() / n;
}

// Mean seconds of one echoed byte, unpaced: the pseudo-terminal's round trip.
double meanEcho(instrument::UCKRNVisual& c, int n) {
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) c.link().InviaByte(0, true);
    return std::chrono::duration<double>(Clock::now() - t0).count() / n;
}

// Seconds per KiB of a memory export of `bytes` addresses from 0x1000.
double exportSecondsPerKiB(instrument::UCKRNVisual& c, int bytes, bool blocks) {
    std::ostringstream out;
    const auto t0 = Clock::now();
    service::writeMemoryDump(c, 0x1000, 0x1000 + bytes - 1, blocks, out, [](long) { return true; });
    return std::chrono::duration<double>(Clock::now() - t0).count() * 1024.0 / bytes;
}

// A firmware block of 1 KiB at 0x2000, every byte a different value.
resources::FirmwareFile firmwareKiB() {
    std::string text;
    for (int a = 0x2000; a < 0x2400; a += 2)
        text += std::to_string(a) + ":" + std::to_string(a * 7 % 256) + ":" +
                std::to_string(a * 13 % 256) + "\r\n";
    return *resources::parseFirmware(text).file;
}

struct ExportRow {
    const char* what;
    double perKiB, bound;
};

// The price of asking again for every answer of CHK 1: `bytes` of pseudo-random NVRAM read in
// process (virtual clock), with the frames the instrument received against the frames the read
// needs, and the wall time of the read.
struct AliasCost {
    const char* what;
    std::size_t frames, needed;
    double seconds;
};
AliasCost aliasCost(const char* what, const char* profileName, int bytes) {
    platform::VirtualClock vclock;
    sim::SimInstrument in(*sim::findProfile(profileName));
    in.setHistoryLimit(1 << 20, 1 << 20);
    std::uint32_t x = 12345;
    for (int i = 0; i < bytes; ++i) {
        x = x * 1103515245u + 12345u;
        in.nvram()[static_cast<std::size_t>(0x1000 + i)] = static_cast<std::uint8_t>(x >> 24);
    }
    sim::SimSerialPort port(in, vclock, "/dev/ttySIM0");
    instrument::UCKRNVisual c(vclock, nullptr, nullptr);
    c.HandlePorta(&port);
    c.ApriComunicazione232(std::string("/dev/ttySIM0"));
    in.clearLog();
    const auto t0 = Clock::now();
    if (!c.ReadNVRamBytes(0x1000, bytes)) std::fprintf(stderr, "alias read failed\n");
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const bool blocks = c.Protocollo() >= 33 && c.Estensioni() >= 45;
    return {what, in.requests().size(),
            static_cast<std::size_t>(blocks ? (bytes + 14) / 15 : bytes), seconds};
}

void printAliasCost() {
    const AliasCost rows[] = {
        aliasCost("64 KiB, 15-byte block reads (p36e51)", "p36e51", 65536),
        aliasCost("16 KiB, one-byte reads (p17e23)", "p17e23", 16384),
    };
    std::printf(
        "\n| Read of random NVRAM, in process | Frames | Frames needed | Asked again | Wall time "
        "|\n|---|---|---|---|---|\n");
    for (const AliasCost& r : rows)
        std::printf(
            "| %s | %zu | %zu | %zu (%.2f %%) | %.3f s |\n", r.what, r.frames, r.needed,
            r.frames - r.needed,
            100.0 * static_cast<double>(r.frames - r.needed) / static_cast<double>(r.needed),
            r.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // "--alias": only the price of the checksum's 0/1 alias.
    if (argc > 1 && std::string(argv[1]) == "--alias") {
        printAliasCost();
        return 0;
    }
    const sim::Profile& profile = *sim::findProfile("p36e51");

    // In process, on virtual time.
    double inProcess = 0;
    {
        platform::VirtualClock vclock;
        sim::SimInstrument in(profile);
        sim::SimSerialPort port(in, vclock, "/dev/ttySIM0");
        instrument::UCKRNVisual c(vclock, nullptr, nullptr);
        c.HandlePorta(&port);
        c.ApriComunicazione232(std::string("/dev/ttySIM0"));
        inProcess = rate(c, 200000);
        in.clearLog();
    }

    platform::SystemClock clock;
    sim::SimInstrument in(profile);
    sim::SimServer server(in, clock);
    const std::string pty = server.openPty();
    server.openUdp("127.0.0.1", 0, 0);
    server.start();

    platform::qt::QtSerialPort serial;
    platform::qt::QtUdpSocket socket;
    instrument::UCKRNVisual c(clock, nullptr, nullptr);
    c.HandlePorta(&serial);
    c.ApriComunicazione232(pty);

    // The configuration read that ends every open, p36e51 over the pseudo-terminal.
    server.withInstrument([](sim::SimInstrument& i) { i.clearLog(); });
    auto r0 = Clock::now();
    const bool reread = c.LeggiConfigurazione();
    const double rereadSeconds = std::chrono::duration<double>(Clock::now() - r0).count();
    std::size_t rereadFrames = 0, rereadBytes = 0;
    server.withInstrument([&](sim::SimInstrument& i) {
        rereadFrames = i.requests().size();
        rereadBytes = i.hostBytes().size();
    });
    if (!reread) std::fprintf(stderr, "configuration read failed\n");

    const double overPty = rate(c, 3000);
    const double roundTrip = meanEcho(c, 2000);

    // A timed-out wait: the instrument is silent for 0.7 s.
    server.withInstrument([](sim::SimInstrument& i) { i.setSilent(true); });
    double cpu0 = threadCpuSeconds();
    auto w0 = Clock::now();
    c.link().AttendiByte(1);
    const double serialWall = std::chrono::duration<double>(Clock::now() - w0).count();
    const double serialCpu = threadCpuSeconds() - cpu0;
    server.withInstrument([](sim::SimInstrument& i) { i.setSilent(false); });

    // A resynchronisation: one zero, the port reopened, the 256-byte zero burst whose echoes
    // are awaited, one zero with echo check.
    cpu0 = threadCpuSeconds();
    w0 = Clock::now();
    if (!c.Risincronizza()) std::fprintf(stderr, "resynchronisation failed\n");
    const double resyncWall = std::chrono::duration<double>(Clock::now() - w0).count();
    const double resyncCpu = threadCpuSeconds() - cpu0;
    c.ChiudiPortaComunicazione();

    c.SetupPortaEth(&socket);
    c.ApriComunicazioneETH("127.0.0.1", server.dataPort());
    const double overUdp = rate(c, 3000);
    server.withInstrument([](sim::SimInstrument& i) { i.setSilent(true); });
    cpu0 = threadCpuSeconds();
    w0 = Clock::now();
    c.link().AttendiByte(1);
    const double ethWall = std::chrono::duration<double>(Clock::now() - w0).count();
    const double ethCpu = threadCpuSeconds() - cpu0;
    server.withInstrument([](sim::SimInstrument& i) { i.setSilent(false); });
    c.ChiudiPortaComunicazione();

    // Paced wire. Serial echoes byte by byte, so each request byte costs two byte times plus
    // one round trip through the pseudo-terminal; Ethernet sends the frame in one datagram and
    // the echo overlaps the request on the line.
    server.withInstrument([](sim::SimInstrument& i) { i.setPacing(true); });
    const auto write10 = krnlink::Request(40, {0x00, 0x10, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const auto read15 = krnlink::Request(41).address(0x001000);
    c.HandlePorta(&serial);
    c.ApriComunicazione232(pty);
    r0 = Clock::now();
    if (!c.LeggiConfigurazione()) std::fprintf(stderr, "paced configuration read failed\n");
    const double pacedReread = std::chrono::duration<double>(Clock::now() - r0).count();
    const double serialWrite = meanExchange(c, write10, 300);
    const double serialRead = meanExchange(c, read15, 300);
    c.ChiudiPortaComunicazione();
    c.SetupPortaEth(&socket);
    c.ApriComunicazioneETH("127.0.0.1", server.dataPort());
    const double ethWrite = meanExchange(c, write10, 300);
    const double ethRead = meanExchange(c, read15, 300);
    const double ethExportBlocks = exportSecondsPerKiB(c, 4096, true);
    const double ethExportBytes = exportSecondsPerKiB(c, 1024, false);
    c.ChiudiPortaComunicazione();
    c.HandlePorta(&serial);
    c.ApriComunicazione232(pty);
    const double serialExportBlocks = exportSecondsPerKiB(c, 4096, true);
    const double serialExportBytes = exportSecondsPerKiB(c, 1024, false);
    // The firmware update's flash work on 1 KiB: erase, program and read back, then verify.
    const resources::FirmwareFile firmware = firmwareKiB();
    auto f0 = Clock::now();
    if (!service::writeRecords(
            c, firmware, [] { return false; }, [](long) { return true; }))
        std::fprintf(stderr, "firmware write failed\n");
    const double firmwareWrite = std::chrono::duration<double>(Clock::now() - f0).count();
    f0 = Clock::now();
    if (!service::compareRecords(
             c, firmware, [] { return false; }, [](long) { return true; })
             .uguale)
        std::fprintf(stderr, "firmware verify failed\n");
    const double firmwareVerify = std::chrono::duration<double>(Clock::now() - f0).count();
    c.ChiudiPortaComunicazione();
    server.stop();

    // Bounds in byte times: request n bytes, answer k bytes.
    auto serialBound = [](int n, int k) { return (2 * n + k) * kByteTime; };
    auto ethBound = [](int n, int k) { return (n + 1 + k) * kByteTime; };
    struct Row {
        const char* what;
        double measured, bound;
        int echoes;  // round trips through the pseudo-terminal
    };
    const Row rows[] = {
        {"Serial, 10-byte write (command 40, 16 bytes out, 3 back)", serialWrite,
         serialBound(16, 3), 16},
        {"Serial, 15-byte block read (command 41, 6 bytes out, 17 back)", serialRead,
         serialBound(6, 17), 6},
        {"Ethernet, 10-byte write (command 40)", ethWrite, ethBound(16, 3), 0},
        {"Ethernet, 15-byte block read (command 41)", ethRead, ethBound(6, 17), 0},
    };

    std::printf("| Measurement | Result |\n|---|---|\n");
    std::printf("| One-byte reads per second, in process (virtual clock) | %.0f |\n", inProcess);
    std::printf("| One-byte reads per second, QSerialPort on a pseudo-terminal | %.0f |\n",
                overPty);
    std::printf("| One-byte reads per second, QUdpSocket on loopback | %.0f |\n", overUdp);
    std::printf("| Timed-out serial byte wait: wall time | %.3f s |\n", serialWall);
    std::printf(
        "| Timed-out serial byte wait: CPU time of the waiting thread | %.4f s (%.2f %% of one "
        "core) |\n",
        serialCpu, 100.0 * serialCpu / serialWall);
    std::printf("| Serial resynchronisation over a pseudo-terminal: wall time | %.3f s |\n",
                resyncWall);
    std::printf(
        "| Serial resynchronisation: CPU time of the waiting thread | %.4f s (%.2f %% of one core) "
        "|\n",
        resyncCpu, 100.0 * resyncCpu / resyncWall);
    std::printf("| Timed-out Ethernet wait: wall time | %.3f s |\n", ethWall);
    std::printf(
        "| Timed-out Ethernet wait: CPU time of the waiting thread | %.4f s (%.2f %% of one core) "
        "|\n",
        ethCpu, 100.0 * ethCpu / ethWall);
    std::printf(
        "| Full configuration read of a protocol 36 instrument over a pseudo-terminal | %.1f ms, "
        "%zu frames, %zu bytes sent |\n",
        rereadSeconds * 1e3, rereadFrames, rereadBytes);
    std::printf("| The same configuration read, paced at 115200 baud | %.1f ms |\n",
                pacedReread * 1e3);
    std::printf(
        "\nPaced at 115200 baud 8N1 (one byte time = %.1f us). Unpaced echo round trip "
        "through the pseudo-terminal: %.1f us.\n\n",
        kByteTime * 1e6, roundTrip * 1e6);
    std::printf(
        "| Frame | Measured | Wire bound | Ratio | Ratio to bound + pty round trips |\n"
        "|---|---|---|---|---|\n");
    for (const Row& r : rows)
        std::printf("| %s | %.3f ms | %.3f ms | %.3f | %.3f |\n", r.what, r.measured * 1e3,
                    r.bound * 1e3, r.measured / r.bound,
                    r.measured / (r.bound + r.echoes * roundTrip));

    // The memory export: a one-byte read is 6 bytes out and 3 back, a block read 6 out and 17
    // back for 15 bytes.
    const double kib = 1024.0;
    const ExportRow exports[] = {
        {"Serial, 15 bytes per frame (command 41)", serialExportBlocks,
         kib / 15 * serialBound(6, 17)},
        {"Serial, one byte per frame (command 15, --per-byte)", serialExportBytes,
         kib * serialBound(6, 3)},
        {"Ethernet, 15 bytes per frame (command 41)", ethExportBlocks, kib / 15 * ethBound(6, 17)},
        {"Ethernet, one byte per frame (command 15, --per-byte)", ethExportBytes,
         kib * ethBound(6, 3)},
    };
    std::printf(
        "\n| Memory export, paced | Time per KiB | Wire bound per KiB | Ratio "
        "|\n|---|---|---|---|\n");
    for (const ExportRow& r : exports)
        std::printf("| %s | %.3f s | %.3f s | %.3f |\n", r.what, r.perKiB, r.bound,
                    r.perKiB / r.bound);

    // Firmware, per KiB: 16 page erases (6 out, 3 back) each read back with 64 one-byte flash
    // reads, 128 block programs (14 out, 3 back) each read back with 8; the verify reads every
    // byte once. Request bytes count the pseudo-terminal round trips.
    const double writeBound = 16 * (serialBound(6, 3) + 64 * serialBound(6, 3)) +
                              128 * (serialBound(14, 3) + 8 * serialBound(6, 3));
    const double verifyBound = 1024 * serialBound(6, 3);
    const Row firmwareRows[] = {
        {"Serial, firmware write of 1 KiB (erase, program, read-back)", firmwareWrite, writeBound,
         16 * 390 + 128 * 62},
        {"Serial, firmware verify of 1 KiB", firmwareVerify, verifyBound, 1024 * 6},
    };
    std::printf(
        "\n| Firmware update, paced | Measured | Wire bound | Ratio | Ratio to bound + pty round "
        "trips |\n"
        "|---|---|---|---|---|\n");
    for (const Row& r : firmwareRows)
        std::printf("| %s | %.3f s | %.3f s | %.3f | %.3f |\n", r.what, r.measured, r.bound,
                    r.measured / r.bound, r.measured / (r.bound + r.echoes * roundTrip));
    printAliasCost();
    return 0;
}
