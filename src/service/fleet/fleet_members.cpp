#include "service/fleet/fleet_members.h"

#include <set>

#include "link/instrument_description.h"
#include "link/selection.h"
#include "link/serial_enumeration.h"
#include "link/zenko_usb.h"
#include "platform/text_file.h"
#include "service/fleet/fleet_layout.h"

namespace service::fleet {
namespace {

constexpr const char* kMacPrefix = "MAC: ";
constexpr const char* kIpPrefix = "IP:";

// Discovery for the fleet asks the modules only for their address; nothing is probed.
class NoProbe final : public krnlink::InstrumentProber {
public:
    krnlink::ProbeResult probeUsb(const std::string&) override { return {}; }
    krnlink::ProbeResult probeEthernet(const std::string&, std::int32_t) override { return {}; }
};

bool startsWith(const std::string& s, const std::string& head) {
    return s.rfind(head, 0) == 0;
}

// "[KRN-ELE]" -> "KRN-ELE": the module's name as discovery shows it.
std::string unbracketed(const std::string& name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        return name.substr(1, name.size() - 2);
    return name;
}

void addEthernet(std::vector<Member>& members, const Sources& sources, DiscoveryPorts ports,
                 platform::Clock& clock, platform::Dialogs& dialogs, const std::string& station) {
    NoProbe noProbe;
    std::vector<krnlink::SelectionRow> rows;
    krnlink::EthernetDiscovery discovery(*ports.moduleSocket, clock, dialogs, noProbe, rows,
                                         sources.discovery, true);
    // Nobody is there to press Cancel: a module that keeps timing out is given up after two
    // repeats of its step, as krnctl list does.
    discovery.repeatLimit = 2;
    discovery.start();
    discovery.runToEnd();
    for (const krnlink::SelectionRow& row : rows) {
        if (!startsWith(row.sn, kMacPrefix)) continue;
        const std::string mac = row.sn.substr(std::string(kMacPrefix).size());
        Member m{row.info, instrumentKey(row.info, mac, station), unbracketed(row.name), {}};
        // A module that answered the search and then not its address request is on the
        // network but cannot be reached: a failure of this run, not an instrument to forget.
        if (!startsWith(row.info, kIpPrefix)) {
            m.description = row.sn;
            m.unreachable = "The module answered the search but did not give its IP address.";
        }
        members.push_back(std::move(m));
    }
}

}  // namespace

std::vector<Member> discoverMembers(const Sources& sources, DiscoveryPorts ports,
                                    platform::Clock& clock, platform::Dialogs& dialogs,
                                    const std::string& station) {
    std::vector<Member> members;
    if (sources.usb && ports.usb) {
        for (const krnlink::DispositivoUSB& d :
             krnlink::ElencaDispositiviUSB(*ports.usb, clock, "QX")) {
            const std::string description = "USB: " + d.serialNumber;
            members.push_back(
                {description, instrumentKey(description, "", station), d.description, {}});
        }
    }
    if (sources.serial && ports.ports) {
        krnlink::CEnumPorts e(*ports.ports);
        e.CreaElencoSeriali();
        for (const krnlink::PortaSeriale& p : e.elenco()) {
            const krnlink::SelectionRow row = krnlink::serialRow(p);
            members.push_back({row.sn, instrumentKey(row.sn, "", station), "", {}});
        }
    }
    if (sources.ethernet && ports.moduleSocket)
        addEthernet(members, sources, ports, clock, dialogs, station);
    return withoutRepeats(std::move(members));
}

MemberList readMembers(const std::string& path, const std::string& station) {
    MemberList list;
    platform::FileProblem problem;
    const auto lines = platform::readTextLines(path, platform::FileKind::Small, &problem);
    if (!lines) {
        list.error = "The instrument list " + path + " cannot be read: " + problem.reason + ".";
        return list;
    }
    for (std::size_t i = 0; i < lines->size(); ++i) {
        const std::string line = krnlink::trim((*lines)[i]);
        if (line.empty() || line.front() == '#') continue;
        if (!krnlink::InstrumentDescription::parse(line).usable()) {
            list.error = path + ", line " + std::to_string(i + 1) + ": \"" + line +
                         "\" is not an instrument description (USB: serial, COM: port, "
                         "IP: host:port).";
            list.members.clear();
            return list;
        }
        list.members.push_back({line, instrumentKey(line, "", station), "", {}});
    }
    list.members = withoutRepeats(std::move(list.members));
    return list;
}

std::vector<Member> withoutRepeats(std::vector<Member> members) {
    std::set<std::string> seen;
    std::vector<Member> out;
    for (Member& m : members)
        if (seen.insert(m.key).second) out.push_back(std::move(m));
    return out;
}

}  // namespace service::fleet
