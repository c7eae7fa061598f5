#pragma once
// What every krnctl command shares: the global options, the platform adapters, the instrument
// control and the way results and messages are printed.
#include <memory>
#include <optional>
#include <string>

#include "instrument/uckrnvisual.h"
#include "platform/dialogs.h"
#include "platform/frame_trace.h"
#include "sim/sim_instrument.h"
#include "sim/sim_usb_bridge.h"

namespace cli {

enum Exit : int {
    kDone = 0,
    kInstrumentFailed = 1,
    kUsage = 2,
    kRefused = 3,
    kFileError = 4,
};

struct GlobalOptions {
    std::string instrument;  // description; KRN_INSTRUMENT when empty
    std::string folder;
    std::string trace;
    std::string simulate;    // profile of an in-process USB instrument
    bool json = false;
    bool yes = false;
};

// Where discovery sends its module commands; on every command that discovers.
struct DiscoveryOptions {
    std::string address = "255.255.255.255";
    int port = 65535;
};

// The serial number of the in-process USB instrument of --simulate.
inline constexpr const char* kSimulatedUsbSerial = "QX3SIM0001";

class Context {
public:
    explicit Context(GlobalOptions options);
    ~Context();

    const GlobalOptions& options() const { return options_; }
    instrument::UCKRNVisual& instrument() { return *instrument_; }
    platform::SerialPortEnumerator& serialPorts() { return *ports_; }
    platform::UsbBridge& usb() { return *usb_; }
    platform::Clock& clock() { return clock_; }
    platform::Dialogs& dialogs() { return *dialogs_; }
    // A socket for module commands and one for probing instruments, apart from the link's.
    platform::UdpSocket& moduleSocket() { return *moduleSocket_; }
    platform::UdpSocket& probeSocket() { return *probeSocket_; }

    // Prepares the adapters; false (with a message) when the trace file cannot be written or the
    // simulated profile is unknown.
    bool init();
    // The instrument description of --instrument or KRN_INSTRUMENT; "" with a message when
    // neither is given.
    std::string description();
    // Opens the link for the description. identify = false opens the channel without the
    // configuration read. Prints "Communication error" and the description on failure.
    bool open(const std::string& description, bool identify);

    // The system's messages go to stderr as they stand.
    void message(const std::string& text);
    // Whether a progress bar may be drawn (not with --json).
    bool showProgress() const { return !options_.json; }

private:
    GlobalOptions options_;
    platform::SystemClock clock_;
    std::unique_ptr<platform::SerialPort> serial_;
    std::unique_ptr<platform::SerialPortEnumerator> ports_;
    std::unique_ptr<platform::UdpSocket> socket_;
    std::unique_ptr<platform::UdpSocket> moduleSocket_;
    std::unique_ptr<platform::UdpSocket> probeSocket_;
    std::unique_ptr<platform::Dialogs> dialogs_;
    std::unique_ptr<platform::UsbBridge> usb_;
    std::unique_ptr<sim::SimInstrument> simulated_;
    std::unique_ptr<platform::FrameTrace> trace_;
    std::unique_ptr<instrument::UCKRNVisual> instrument_;
};

// One conversation with the instrument for a command: opened with the configuration read,
// press and keyboard locked when asked; at the end released and closed.
class Session {
public:
    explicit Session(Context& ctx) : ctx_(ctx) {}
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // kDone, or the exit code after the message was printed.
    int open(bool lock);

private:
    Context& ctx_;
    bool open_ = false;
    bool locked_ = false;
};

// "15", "0x0F" -> 15; nullopt for anything else or a value above 255.
std::optional<std::uint8_t> parseByte(const std::string& text);
// Decimal or 0x hex, 0 .. max.
std::optional<std::int64_t> parseNumber(const std::string& text, std::int64_t max);

}  // namespace cli
