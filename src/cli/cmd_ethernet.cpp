// krnctl ethernet setup: the Ethernet module set-up of krnsetup for a module given by its MAC
// address; the new address comes from --ip instead of the dialog's box.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "link/ethernet_setup.h"
#include "service/ethernet_commands.h"

namespace cli {
namespace {

struct EthernetOptions {
    std::string mac;
    std::string ip;
    DiscoveryOptions discovery;
};

// The local address the system would send from to reach host; "" when there is no route. A UDP
// socket that is only connected sends nothing.
std::string localAddressTowards(const std::string& host, int port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return {};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string address;
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
    if (::inet_pton(AF_INET, host.c_str(), &to.sin_addr) == 1 &&
        ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        sockaddr_in local{};
        socklen_t length = sizeof local;
        char text[INET_ADDRSTRLEN] = {};
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
            ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text))
            address = text;
    }
    ::close(fd);
    return address;
}

int runSetup(Context& ctx, const EthernetOptions& o) {
    if (o.discovery.port < 1 || o.discovery.port > 65535) {
        ctx.message("krnctl: --discovery-port takes 1..65535");
        return kUsage;
    }
    const krnlink::DiscoverySettings where{o.discovery.address,
                                           static_cast<std::uint16_t>(o.discovery.port)};
    krnlink::EthernetSetup setup(ctx.moduleSocket(), ctx.clock(), ctx.dialogs(), where, o.mac,
                                 localAddressTowards(where.address, where.port));
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

void addEthernetCommands(CLI::App& app, std::vector<Command>& commands) {
    auto o = std::make_shared<EthernetOptions>();
    CLI::App* ethernet = app.add_subcommand("ethernet", "The instrument's Ethernet module");
    ethernet->require_subcommand(1);
    CLI::App* setup = ethernet->add_subcommand(
        "setup", "Give the module of MAC a new IP address and the instrument's serial settings");
    setup
        ->add_option("--mac", o->mac,
                     "The module's MAC address, as \"krnctl list --ethernet\" shows it")
        ->required();
    setup->add_option("--ip", o->ip, "The new IP address, sent as typed")->required();
    addDiscoveryOptions(setup, o->discovery);
    commands.push_back({setup, [o](Context& ctx) { return runSetup(ctx, *o); }});
}

}  // namespace cli
