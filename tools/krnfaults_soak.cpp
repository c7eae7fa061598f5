// The soak of krnfaults: exchanges through the instrument control in process, on a virtual
// clock, over all three channels of one simulated instrument, with a fault on a share of the
// frames. Every value read is compared with the simulator's memory; the resident memory is
// measured after a warm-up and at the end.
#include "krnfaults_soak.h"

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <random>

#include "instrument/uckrnvisual.h"
#include "sim/sim_ethernet_module.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_udp_socket.h"
#include "sim/sim_usb_bridge.h"

namespace {

using sim::Fault;

constexpr std::int32_t kArea = 0x10000;
constexpr std::int32_t kAreaSize = 4096;
constexpr const char* kPort = "/dev/ttySOAK";
constexpr const char* kUsbSerial = "QXSOAK001";
constexpr std::uint16_t kDataPort = 1001;
constexpr int kFaultKinds = 9;

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

Fault randomFault(std::mt19937& rng, int only) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    switch (only >= 0 ? only : pick(0, kFaultKinds - 1)) {
        case 0:
            return {Fault::Kind::CorruptByte,
                    pick(6, 22),
                    {},
                    0,
                    {static_cast<std::uint8_t>(1u << pick(0, 7))}};
        case 1:
            return {Fault::Kind::WrongEcho, pick(0, 5)};
        case 2:
            return {Fault::Kind::DropByte, pick(0, 22)};
        case 3:
            return {Fault::Kind::DelayByte, pick(6, 12),
                    std::chrono::milliseconds(pick(600, 1100))};
        case 4:
            return {Fault::Kind::Late, pick(0, 2)};
        case 5:
            return {Fault::Kind::Noise, 0, {}, 0, {static_cast<std::uint8_t>(pick(0, 255)), 0x02}};
        case 6:
            return {Fault::Kind::NoAnswer};
        case 7:
            return {Fault::Kind::WrongChecksum};
        default:
            return {Fault::Kind::Stall, 0, std::chrono::milliseconds(pick(100, 1200))};
    }
}

}  // namespace

int runSoak(long exchanges, unsigned seed, int onlyFault, bool verify) {
    std::mt19937 rng(seed);
    platform::VirtualClock clock;
    sim::SimInstrument instrument(*sim::findProfile("p36e51"));
    instrument.setHistoryLimit(0, 0);
    for (std::int32_t i = 0; i < kAreaSize; ++i)
        instrument.nvram()[static_cast<std::size_t>(kArea + i)] = static_cast<std::uint8_t>(rng());
    sim::SimSerialPort serial(instrument, clock, kPort);
    sim::SimUsbBridge usb(clock);
    sim::SimUsbDevice device;
    device.serialNumber = kUsbSerial;
    device.instrument = &instrument;
    usb.addDevice(device);
    sim::SimUdpSocket socket(clock);
    sim::SimEthernetModule module(instrument, "0036119A0001", "SOAK");
    socket.addModule({&module, kDataPort, 65535});
    instrument::UCKRNVisual control(clock, &usb, nullptr);
    control.nvram().verify = verify;

    auto open = [&](int channel) {
        switch (channel) {
            case 0:
                control.HandlePorta(&serial);
                return control.ApriComunicazione232(std::string(kPort));
            case 1:
                return control.ApriComunicazioneUSB(kUsbSerial);
            default:
                control.SetupPortaEth(&socket);
                return control.ApriComunicazioneETH("127.0.0.1", kDataPort);
        }
    };
    long done = 0, correct = 0, failed = 0, wrong = 0, faults = 0, reopened = 0;
    long startKiB = 0;
    const long warmUp = std::min(exchanges / 10, 5000L);
    int channel = 0;
    if (!open(channel)) {
        std::cerr << "krnfaults: the simulated instrument does not open\n";
        return 1;
    }
    while (done < exchanges) {
        if (done == warmUp) startKiB = residentKiB();
        if (done % 2000 == 1999) {  // the next channel, in a new conversation
            control.ChiudiPortaComunicazione();
            channel = (channel + 1) % 3;
            instrument.clearFaults();
            open(channel);
            socket.clearSent();
            usb.clearCalls();
        }
        if (!control.Collegato() && open(channel)) ++reopened;
        if (std::uniform_int_distribution<int>(0, 19)(rng) == 0) {
            instrument.addFault(randomFault(rng, onlyFault));
            ++faults;
        }
        const std::int32_t a =
            kArea + std::uniform_int_distribution<std::int32_t>(0, kAreaSize - 16)(rng);
        const auto& nv = instrument.nvram();
        bool ok = false, right = false;
        if (rng() % 2) {
            auto v = control.ReadNVRam1Byte(a);
            ok = v.has_value();
            right = ok && *v == nv[static_cast<std::size_t>(a)];
        } else {
            auto v = control.ReadNVRamBytes(a, 15);
            ok = v.has_value();
            right = ok && std::equal(v->begin(), v->end(), nv.begin() + a) && v->size() == 15;
        }
        ++done;
        if (!ok) {
            ++failed;
        } else if (right) {
            ++correct;
        } else {
            ++wrong;
            std::cerr << "wrong value at " << std::hex << a << std::dec << " (exchange " << done
                      << ")\n";
        }
        // A restart or a silent spell may leave the instrument mid-frame; time moves on.
        if (!ok) clock.advance(std::chrono::seconds(1));
    }
    control.ChiudiPortaComunicazione();
    const long endKiB = residentKiB();
    std::cout << "soak: " << done << " reads (one byte or 15), seed " << seed << ", " << faults
              << " faults aimed" << (verify ? ", verified" : "") << "\n"
              << "  correct " << correct << ", failed (reported) " << failed << ", wrong " << wrong
              << ", conversations reopened " << reopened << "\n"
              << "  resident memory after warm-up " << startKiB << " KiB, at the end " << endKiB
              << " KiB\n";
    const bool leak = endKiB > startKiB + 1024;
    return wrong == 0 && !leak ? 0 : 1;
}
