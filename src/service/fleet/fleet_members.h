#pragma once
// The instruments of a fleet backup: found by the discovery of the chosen channels, or read
// from a file of instrument descriptions.
#include <optional>
#include <string>
#include <vector>

#include "link/ethernet_discovery.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/udp_socket.h"
#include "platform/usb_bridge.h"
#include "service/fleet/fleet_backup.h"

namespace service::fleet {

struct Sources {
    bool usb = false, serial = false, ethernet = false;
    krnlink::DiscoverySettings discovery;
};

// What discovery needs: the USB bridge, the serial ports, a socket for the module commands.
struct DiscoveryPorts {
    platform::UsbBridge* usb = nullptr;
    platform::SerialPortEnumerator* ports = nullptr;
    platform::UdpSocket* moduleSocket = nullptr;
};

// USB devices of the maker (serial number "QX..."), serial ports, and Ethernet modules with the
// address they report, in that order; nothing is opened. A module is keyed by its MAC address.
// A module that does not answer its address request is a member that cannot be reached.
std::vector<Member> discoverMembers(const Sources& sources, DiscoveryPorts ports,
                                    platform::Clock& clock, platform::Dialogs& dialogs,
                                    const std::string& station);

// One instrument description per line; blank lines and lines beginning with "#" are skipped.
// Why the file cannot be taken (it cannot be read, or a line names no instrument, with its
// number), or the members.
struct MemberList {
    std::vector<Member> members;
    std::string error;
};
MemberList readMembers(const std::string& path, const std::string& station);

// Members with a key met before are dropped (one conversation per instrument and folder).
std::vector<Member> withoutRepeats(std::vector<Member> members);

}  // namespace service::fleet
