#include "link/ethernet_setup.h"

#include "link/module_timer.h"

namespace krnlink {
namespace {

// The module's fixed settings, steps 13 to 19.
constexpr const char* kSettings[] = {"SONH.W.K.", "SDNKRNV", "SBR7", "SSI0",
                                     "SFC1",      "SRC0",    "SDS1"};
constexpr int kFirstSetting = 13;

// The first line of the box a rejected step shows; nullptr: the answer is ignored.
const char* rejectionText(int step) {
    switch (step) {
        case 2:
        case 12:
            return "Login rejected.";
        case 3:
            return "Get IP-address rejected.";
        case 4:
            return "Get status rejected.";
        case 10:
            return "Assign IP-address rejected.";
        case 20:
            return "Logout rejected.";
        default:
            break;
    }
    if (step == 11 || (step >= kFirstSetting && step < kFirstSetting + 7))
        return "Device setup rejected.";
    return nullptr;
}

}  // namespace

std::string EthernetSetup::commandOf(int step, const std::string& ipText) const {
    switch (step) {
        case 1:
        case 11:
            return "W" + mac_;
        case 2:
        case 12:
            return "L";
        case 3:
            return "GIP";
        case 4:
        case 20:
            return "O";
        case 5:
        case 21:
            return "W";
        case 10:
            return "A" + mac_ + "//" + ipText;
        default:
            break;
    }
    if (step >= kFirstSetting && step < kFirstSetting + 7) return kSettings[step - kFirstSetting];
    return {};
}

void EthernetSetup::start() {
    ip_.clear();
    ipEnabled_ = false;
    okEnabled_ = false;
    timerRunning_ = false;
    end_ = End::None;
    begin(1);
}

void EthernetSetup::begin(int step) {
    step_ = step;
    const std::string command = commandOf(step, typedIp_);
    lastSent_ = clock_.now();
    socket_.sendTo(platform::Bytes(command.begin(), command.end()), settings_.address,
                   settings_.port);
    if (step == kWaitForOk) {
        okEnabled_ = true;
        timerRunning_ = false;
        return;
    }
    if (step == kLastStep) {
        information("Ethernet IP setup OK.");
        close(End::Done);
        return;
    }
    timerRunning_ = true;
}

bool EthernetSetup::confirm(const std::string& ipText) {
    if (closed() || step_ != kWaitForOk || !okEnabled_) return false;
    okEnabled_ = false;
    typedIp_ = ipText;
    begin(kFirstWrite);
    return true;
}

void EthernetSetup::cancel() {
    if (!closed()) close(End::Cancelled);
}

void EthernetSetup::close(End how) {
    end_ = how;
    timerRunning_ = false;
    okEnabled_ = false;
}

void EthernetSetup::onDatagram(const platform::Datagram& d) {
    if (closed() || step_ == kWaitForOk || step_ == 0) return;
    accept(std::string(d.data.begin(), d.data.end()));
}

void EthernetSetup::accept(const std::string& answer) {
    const char code = answer.empty() ? ' ' : answer[0];
    const bool accepted = code == 'A' || (code == 'C' && commandOf(step_, typedIp_) == "SDS1");
    if (!accepted) {
        // The step stays where it is; its timeout ends the dialog unless a good answer follows.
        if (const char* text = rejectionText(step_))
            exclamation(std::string(text) + "\nReply code: " + code);
        return;
    }
    if (step_ == 3) {
        const std::string body = answer.substr(1);
        ip_ = body.substr(0, body.find('/'));
        ipEnabled_ = true;
    }
    begin(step_ + 1);
}

bool EthernetSetup::timedOut() const {
    // Monotonic time: a set-up running across midnight times out like any other.
    return clock_.now() - lastSent_ > std::chrono::milliseconds(1000);
}

void EthernetSetup::tick() {
    if (closed() || !timerRunning_ || !timedOut()) return;
    if (step_ == kFirstWrite)
        exclamation("Assign IP-address timeout.");
    else if (step_ == kFirstWrite + 1)
        exclamation(localAddress_ + "\nIP-address is unreachable with your network.");
    else
        exclamation("Get IP-address timeout.");
    close(End::Failed);
}

void EthernetSetup::exclamation(const std::string& text) {
    dialogs_.message(
        {text, "", platform::MessageIcon::Exclamation, platform::MessageButtons::Ok, 0});
}

void EthernetSetup::information(const std::string& text) {
    dialogs_.message(
        {text, "", platform::MessageIcon::Information, platform::MessageButtons::Ok, 0});
}

void EthernetSetup::runUntilIdle() {
    runModuleTimer(
        socket_, clock_, kTick, [this] { return !closed() && timerRunning_; },
        [this](const platform::Datagram& d) { onDatagram(d); }, [this] { tick(); });
}

}  // namespace krnlink
