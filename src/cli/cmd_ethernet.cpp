// krnctl ethernet setup: the Ethernet module set-up of krnsetup for a module given by its MAC
// address; the new address comes from --ip instead of the dialog's box.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/option_checks.h"
#include "link/ethernet_setup.h"
#include "platform/system.h"
#include "service/device/ethernet_commands.h"

namespace cli {
namespace {

struct EthernetOptions {
    std::string mac;
    std::string ip;
    DiscoveryOptions discovery;
};

int runSetup(Context& ctx, const EthernetOptions& o) {
    const krnlink::DiscoverySettings where{o.discovery.address,
                                           static_cast<std::uint16_t>(o.discovery.port)};
    krnlink::EthernetSetup setup(ctx.moduleSocket(), ctx.clock(), ctx.dialogs(), where, o.mac,
                                 platform::localAddressTowards(where.address, where.port));
    ctx.answerInputs({InputAnswer::of(o.ip)});
    const service::Outcome outcome = service::runEthernetSetup(setup, ctx.dialogs());
    if (ctx.options().json) {
        std::cout << Json::object()
                         .add("mac", o.mac)
                         .add("previous", setup.ipText())
                         .add("ip", o.ip)
                         .add("done", outcome == service::Outcome::Done)
                         .str()
                  << "\n";
    } else if (setup.ipEnabled()) {
        std::cout << "previous: " << setup.ipText() << "\n";
        if (outcome == service::Outcome::Done) std::cout << "ip: " << o.ip << "\n";
    }
    return exitCode(outcome);
}

}  // namespace

static void addEthernetCommands(CLI::App& app, std::vector<Command>& commands) {
    auto o = std::make_shared<EthernetOptions>();
    CLI::App* ethernet = app.add_subcommand("ethernet", "The instrument's Ethernet module");
    ethernet->require_subcommand(1);
    CLI::App* setup = ethernet->add_subcommand(
        "setup", "Give the module of MAC a new IP address and the instrument's serial settings");
    setup
        ->add_option("--mac", o->mac,
                     "The module's MAC address, as \"krnctl list --ethernet\" shows it")
        ->required()
        ->check(moduleMac());
    setup->add_option("--ip", o->ip, "The new IP address: four numbers 0..255 separated by dots")
        ->required()
        ->check(ipv4Address());
    addDiscoveryOptions(setup, o->discovery);
    commands.push_back({setup, [o](Context& ctx) { return runSetup(ctx, *o); }});
}

KRN_CLI_COMMANDS(160, addEthernetCommands)

}  // namespace cli
