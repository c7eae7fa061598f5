#pragma once
// The fleet backup: the configuration backup of many instruments into DIR/KEY/STAMP.ini, several
// conversations at a time. Each conversation runs the one backup command (BackupCommand) on a
// worker of its own: an instrument control, its channels and a host that records the messages
// instead of showing them. A failure ends that instrument's conversation only.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_diff.h"
#include "platform/clock.h"
#include "platform/frame_trace.h"
#include "platform/serial_port.h"
#include "platform/udp_socket.h"
#include "platform/usb_bridge.h"

namespace service::fleet {

// One instrument of the fleet: how to open it, its folder, and the name discovery showed.
struct Member {
    std::string description;  // "IP: 127.0.0.1:5001", "USB: QX300125", "COM: /dev/ttyUSB0"
    std::string key;
    std::string name;
    // Why it cannot be opened at all (a module that was found but did not give its address);
    // empty when it can. Such a member is reported as failed without a conversation.
    std::string unreachable;
};

// What became of one instrument.
struct MemberResult {
    Member member;
    bool saved = false;
    bool started = false;  // false: the run was interrupted before its turn
    std::string file;      // KEY/STAMP.ini, relative to DIR, when saved
    std::string previous;  // KEY/STAMP.ini of the backup before it; "" for the first one
    std::string name;      // NOMESTRUMENTO of the saved backup
    std::string why;       // the messages of a failure, one per line
    std::vector<backup::KeyDifference> changes;  // against the previous backup

    bool changed() const { return saved && !previous.empty() && !changes.empty(); }
};

// The channels of one worker, made on the worker's own thread and used by it alone.
struct Channels {
    std::unique_ptr<platform::SerialPort> serial;
    std::unique_ptr<platform::SerialPortEnumerator> ports;
    std::unique_ptr<platform::UdpSocket> socket;
    std::unique_ptr<platform::UsbBridge> ownUsb;
    platform::UsbBridge* usb = nullptr;  // ownUsb, or a bridge the caller shares
};

struct RunSettings {
    std::string folder;   // DIR
    std::string stamp;    // the run's time, stampOf(); every backup of the run carries it
    int jobs = 1;         // conversations at a time
    bool verify = false;  // every write read back (krnctl --verify)
    // The trace file of the links. One writer for one link: it is taken only when one
    // conversation runs at a time, and left out otherwise.
    platform::FrameTrace* trace = nullptr;
    // Asked before each instrument; true stops the run there (Ctrl-C). The running
    // conversations end normally.
    std::function<bool()> stopRequested;
    // Called once per instrument as it ends, from its worker, one call at a time; done counts
    // the instruments ended so far.
    std::function<void(const MemberResult&, int done)> onResult;
};

// Backs every member up, settings.jobs at a time; the results in the members' order. makeChannels
// is called once on each worker's thread.
std::vector<MemberResult> backupFleet(const std::vector<Member>& members,
                                      const RunSettings& settings, platform::Clock& clock,
                                      const std::function<Channels()>& makeChannels);

}  // namespace service::fleet
