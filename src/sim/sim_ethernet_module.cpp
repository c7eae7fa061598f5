#include "sim/sim_ethernet_module.h"

namespace sim {
namespace {
// The module sends what the serial line delivered once the line has been quiet this long.
constexpr platform::Duration kQuietGap = std::chrono::milliseconds(2);

std::optional<std::string> commandText(platform::ByteSpan data) {
    if (data.empty() || data.back() != 13) return std::nullopt;
    std::string text(data.begin(), data.end() - 1);
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
            return std::nullopt;
    return text;
}
}  // namespace

std::optional<std::string> SimEthernetModule::answerCommand(const std::string& command) {
    if (commandsSilent_) return std::nullopt;
    ++commandsAnswered_;
    if (command == "ENCOMMPC") return std::string("A");
    if (command == "X")
        return "A" + mac_ + "/" + std::to_string(dataPort_) + "/0/0/0/" + name_;
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
