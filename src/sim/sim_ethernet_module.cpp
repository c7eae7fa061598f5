#include "sim/sim_ethernet_module.h"

namespace sim {
namespace {
// The module sends what the serial line delivered once the line has been quiet this long.
constexpr platform::Duration kQuietGap = std::chrono::milliseconds(2);

// A module command: printable text, with or without a closing carriage return.
std::optional<std::string> commandText(platform::ByteSpan data) {
    if (!data.empty() && data.back() == 13) data = data.first(data.size() - 1);
    if (data.empty()) return std::nullopt;
    std::string text(data.begin(), data.end());
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
            return std::nullopt;
    return text;
}
}  // namespace

std::optional<std::string> SimEthernetModule::answerCommand(const std::string& command) {
    heard_.push_back(command);
    if (commandsSilent_) return std::nullopt;
    // The longest configured prefix decides.
    const std::pair<Behaviour, char>* rule = nullptr;
    std::size_t best = 0;
    for (const auto& [prefix, b] : behaviours_) {
        if (command.rfind(prefix, 0) == 0 && prefix.size() >= best) {
            rule = &b;
            best = prefix.size();
        }
    }
    std::optional<std::string> answer = normalAnswer(command);
    if (!answer || !rule || rule->first == Behaviour::Answer) {
        if (answer) ++commandsAnswered_;
        return answer;
    }
    if (rule->first == Behaviour::Silent) return std::nullopt;
    ++commandsAnswered_;
    return std::string(1, rule->second);
}

std::optional<std::string> SimEthernetModule::normalAnswer(const std::string& command) {
    if (command == "ENCOMMPC") return std::string("A");
    if (command == "X") return "A" + mac_ + "/" + std::to_string(dataPort_) + "/0/0/0/" + name_;
    if (command == "W") {  // the module restarts; nothing comes back
        selected_ = false;
        return std::nullopt;
    }
    if (command[0] == 'W') {
        selected_ = command.substr(1) == mac_;
        if (!selected_) return std::nullopt;  // addressed to another module
        return std::string("A");
    }
    if (command[0] == 'A' && command.size() > 1) {  // assign an IP address: "A" MAC "//" IP
        const std::size_t sep = command.find("//");
        if (sep == std::string::npos || command.substr(1, sep - 1) != mac_) return std::nullopt;
        ip_ = command.substr(sep + 2);
        return std::string("A");
    }
    if (!selected_) return std::nullopt;
    if (command == "L") return std::string("A");
    if (command == "GIP") return "A" + ip_ + "/255.255.255.0/0.0.0.0";
    if (command == "O") return std::string("A");
    if (command.size() > 3 && command[0] == 'S') {
        settings_[command.substr(0, 3)] = command.substr(3);
        return std::string(command == "SDS1" ? "C" : "A");
    }
    return std::string("R");
}

void SimEthernetModule::dataDatagram(platform::ByteSpan data, platform::TimePoint t) {
    if (auto text = commandText(data)) {
        if (*text == "ENCOMMPC") {
            if (auto reply = answerCommand(*text)) {
                *reply += terminator_;
                replies_.emplace_back(reply->begin(), reply->end());
            }
            return;
        }
    }
    instrument_.receive(data, t);
}

std::optional<platform::Bytes> SimEthernetModule::commandDatagram(platform::ByteSpan data) {
    auto text = commandText(data);
    if (!text) return std::nullopt;
    auto reply = answerCommand(*text);
    if (!reply) return std::nullopt;
    return platform::Bytes(reply->begin(), reply->end());
}

std::optional<platform::Bytes> SimEthernetModule::takeDataDatagram(platform::TimePoint t) {
    if (!replies_.empty()) {
        platform::Bytes r = std::move(replies_.front());
        replies_.pop_front();
        return r;
    }
    std::size_t n = instrument_.burstReady(t, kQuietGap);
    if (n == 0) return std::nullopt;
    return instrument_.takeOutput(t, n);
}

std::optional<platform::TimePoint> SimEthernetModule::nextDataTime(platform::TimePoint now) const {
    if (!replies_.empty()) return now;
    auto end = instrument_.burstEnd(kQuietGap);
    if (!end) return std::nullopt;
    return std::max(*end, now);
}

}  // namespace sim
