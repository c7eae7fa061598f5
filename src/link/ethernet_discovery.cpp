#include "link/ethernet_discovery.h"

#include "link/instrument_description.h"
#include "link/module_timer.h"

namespace krnlink {
namespace {

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == sep) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

void exclamation(platform::Dialogs& dialogs, const std::string& text) {
    dialogs.message(
        {text, "", platform::MessageIcon::Exclamation, platform::MessageButtons::Ok, 0});
}

}  // namespace

void EthernetDiscovery::send(const std::string& command) {
    lastCommand_ = command;
    lastSent_ = clock_.now();
    socket_.sendTo(platform::Bytes(command.begin(), command.end()), settings_.address,
                   settings_.port);
}

void EthernetDiscovery::start() {
    index_ = -1;
    repeats_ = 0;
    stato_ = Raccolta;
    send("X");
}

bool EthernetDiscovery::timedOut() const {
    return clock_.now() - lastSent_ > std::chrono::milliseconds(1000);
}

void EthernetDiscovery::nextModule() {
    repeats_ = 0;
    for (int i = index_ + 1; i < static_cast<int>(rows_.size()); ++i) {
        if (rows_[static_cast<std::size_t>(i)].sn.rfind("MAC:", 0) == 0) {
            index_ = i;
            stato_ = Prossimo;
            send("W" + trimLeft(current().sn.substr(4)));
            return;
        }
    }
    stato_ = Fermo;
}

void EthernetDiscovery::collect(const std::string& answer) {
    if (answer.empty() || answer[0] != 'A') return;
    std::string body = answer.substr(1);
    const std::size_t nul = body.find('\0');
    if (nul != std::string::npos) body.resize(nul);
    const std::vector<std::string> fields = split(body, '/');
    const std::string mac = fields[0];
    for (const SelectionRow& r : rows_)
        if (r.sn == "MAC: " + mac) return;  // a module that answered twice
    SelectionRow row;
    row.sn = "MAC: " + mac;
    if (fields.size() > 1) row.info = fields[1];
    if (fields.size() > 5) {
        // The name runs to the end of the datagram, slashes included.
        std::size_t at = 0;
        for (int i = 0; i < 5; ++i) at = body.find('/', at) + 1;
        row.description = body.substr(at);
        row.name = "[" + row.description + "]";
    }
    rows_.push_back(std::move(row));
}

void EthernetDiscovery::reject(const char* text, char code) {
    exclamation(dialogs_, std::string(text) + "\nReply code: " + code);
}

void EthernetDiscovery::takeAddress(const std::string& answer) {
    const std::string ip = split(answer.substr(1), '/')[0];
    SelectionRow& row = current();
    const std::string description = "IP:" + ip + ":" + row.info;
    if (soloEthernet_) {
        row.info = description;
    } else {
        row.sn = description;
        row.info.clear();
    }
}

void EthernetDiscovery::probe() {
    stato_ = Prova;
    const auto d = InstrumentDescription::parse(current().sn);
    ProbeResult result;
    if (d.kind == InstrumentDescription::Kind::Ethernet)
        result = prober_.probeEthernet(d.host, d.port);
    describeRow(current(), result);
    nextModule();
}

void EthernetDiscovery::advance(const std::string& answer) {
    const bool accepted = !answer.empty() && answer[0] == 'A';
    const char code = answer.empty() ? ' ' : answer[0];
    switch (stato_) {
        case Prossimo:
            if (!accepted) return;  // other modules' chatter; the step times out if nobody answers
            stato_ = Login;
            send("L");
            return;
        case Login:
            if (!accepted) return reject("Login rejected.", code);
            stato_ = Indirizzo;
            send("GIP");
            return;
        case Indirizzo:
            if (!accepted) return reject("Get IP-address rejected.", code);
            takeAddress(answer);
            stato_ = Logout;
            send("O");
            return;
        case Logout:
            if (!accepted) {
                // A logout has no timeout; waiting on would never end, so go on.
                reject("Login rejected.", code);
                return nextModule();
            }
            if (soloEthernet_) return nextModule();
            return probe();
        default:
            return;
    }
}

void EthernetDiscovery::onDatagram(const platform::Datagram& d) {
    const std::string text(d.data.begin(), d.data.end());
    if (stato_ == Raccolta)
        collect(text);
    else if (stato_ != Fermo)
        advance(text);
}

void EthernetDiscovery::tick() {
    if (stato_ == Fermo || stato_ == Logout || !timedOut()) return;
    switch (stato_) {
        case Raccolta:
            index_ = -1;
            nextModule();
            return;
        case Indirizzo:
            nextModule();  // silently on with the next module
            return;
        default:
            exclamation(dialogs_, "Get IP-address timeout.");
            if (repeatLimit >= 0 && ++repeats_ > repeatLimit) return nextModule();
            send(lastCommand_);
            return;
    }
}

void EthernetDiscovery::runToEnd() {
    runModuleTimer(
        socket_, clock_, kTick, [this] { return running(); },
        [this](const platform::Datagram& d) { onDatagram(d); }, [this] { tick(); });
}

}  // namespace krnlink
