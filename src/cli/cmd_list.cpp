// krnctl list: the instruments the selection would offer, after discovery has ended.
#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/option_checks.h"
#include "instrument/probe.h"
#include "link/ethernet_discovery.h"
#include "link/selection.h"

namespace cli {
namespace {

struct ListOptions {
    krnlink::SelectionOptions selection;
    DiscoveryOptions discovery;
};

constexpr const char* kUsbPrefix = "USB: ";

bool isUsb(const krnlink::SelectionRow& r) {
    return r.sn.rfind(kUsbPrefix, 0) == 0;
}

// A USB row also shows the chip's own identity, as its EEPROM holds it: the serial number (in
// "Port/SN" after "USB: ") and the description, which programming the chip sets. Name stays
// what the selection shows: the name the instrument itself reports.
void printRows(const std::vector<krnlink::SelectionRow>& rows, bool json) {
    if (json) {
        Json list = Json::array();
        for (const auto& r : rows) {
            Json row = Json::object().add("NAME", r.name).add("SN", r.sn).add("INFO", r.info);
            if (isUsb(r))
                row.add("SERIAL", r.sn.substr(std::string(kUsbPrefix).size()))
                    .add("DESCRIPTION", r.description);
            list.push(row);
        }
        std::cout << list.str() << "\n";
        return;
    }
    const bool usb = std::any_of(rows.begin(), rows.end(), isUsb);
    std::size_t nameWidth = 4, snWidth = 7, infoWidth = 4;
    for (const auto& r : rows) {
        nameWidth = std::max(nameWidth, r.name.size());
        snWidth = std::max(snWidth, r.sn.size());
        infoWidth = std::max(infoWidth, r.info.size());
    }
    auto line = [&](const std::string& a, const std::string& b, const std::string& c,
                    const std::string& d) {
        std::string row = a;
        row.resize(nameWidth + 2, ' ');
        row += b;
        row.resize(nameWidth + snWidth + 4, ' ');
        row += c;
        if (usb) {
            row.resize(nameWidth + snWidth + infoWidth + 6, ' ');
            row += d;
        }
        while (!row.empty() && row.back() == ' ') row.pop_back();
        std::cout << row << "\n";
    };
    line("Name", "Port/SN", "Info", "Chip description");
    for (const auto& r : rows) line(r.name, r.sn, r.info, isUsb(r) ? r.description : "");
}

int runList(Context& ctx, const ListOptions& o) {
    instrument::InstrumentProbe probe(ctx.clock(), &ctx.usb(), &ctx.probeSocket());
    krnlink::SelectionList list(&ctx.usb(), &ctx.serialPorts(), probe, ctx.clock(), o.selection);
    list.fill();
    if (list.wantsEthernet()) {
        krnlink::EthernetDiscovery discovery(
            ctx.moduleSocket(), ctx.clock(), ctx.dialogs(), probe, list.rows(),
            {o.discovery.address, static_cast<std::uint16_t>(o.discovery.port)},
            o.selection.SoloEthernet);
        // Nobody can press Cancel here: a module that keeps timing out is given up after two
        // repeats of its step.
        discovery.repeatLimit = 2;
        discovery.start();
        discovery.runToEnd();
    }
    printRows(list.rows(), ctx.options().json);
    return kDone;
}

}  // namespace

void addDiscoveryOptions(CLI::App* app, DiscoveryOptions& o) {
    app->add_option("--discovery-address", o.address,
                    "Where Ethernet discovery sends its module commands: an IPv4 address "
                    "(default 255.255.255.255)")
        ->check(ipv4Address());
    app->add_option("--discovery-port", o.port,
                    "The modules' command port, 1..65535 (default 65535)")
        ->check(CLI::Range(1, 65535));
}

static void addListCommand(CLI::App& app, std::vector<Command>& commands) {
    auto o = std::make_shared<ListOptions>();
    CLI::App* list = app.add_subcommand(
        "list",
        "List the instruments on USB, serial ports and Ethernet, as the selection shows them");
    list->add_flag("--usb", o->selection.SoloUSB,
                   "Only USB devices whose serial number starts with QX3");
    list->add_flag("--serial", o->selection.SoloSeriali, "Only serial ports");
    list->add_flag("--ethernet", o->selection.SoloEthernet,
                   "Only Ethernet modules, with their IP address in Info, not opened");
    list->add_flag("--all-usb", o->selection.TuttiUSB, "USB devices whatever their serial number");
    addDiscoveryOptions(list, o->discovery);
    commands.push_back({list, [o](Context& ctx) { return runList(ctx, *o); }});
}

KRN_CLI_COMMANDS(40, addListCommand)

}  // namespace cli
