#pragma once
// The serial-to-Ethernet module inside an instrument: it passes the instrument's serial bytes
// in UDP datagrams on its data port and answers text commands ("ENCOMMPC", ...) terminated by a
// carriage return.
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "platform/clock.h"
#include "sim/sim_instrument.h"

namespace sim {

class SimEthernetModule {
public:
    SimEthernetModule(SimInstrument& instrument, std::string mac, std::string name)
        : instrument_(instrument), mac_(std::move(mac)), name_(std::move(name)) {}

    SimInstrument& instrument() { return instrument_; }
    const std::string& mac() const { return mac_; }
    void setMac(std::string mac) { mac_ = std::move(mac); }

    // A datagram for the data port: a module command, or bytes for the instrument's serial line.
    void dataDatagram(platform::ByteSpan data, platform::TimePoint t);
    // A datagram for the command port; the answer to send back, if any.
    std::optional<platform::Bytes> commandDatagram(platform::ByteSpan data);

    // The next datagram the data port sends by time t: a command answer, or the instrument's
    // output gathered until its serial line goes quiet.
    std::optional<platform::Bytes> takeDataDatagram(platform::TimePoint t);
    // When takeDataDatagram may next have something.
    std::optional<platform::TimePoint> nextDataTime(platform::TimePoint now) const;

    // Tests: the module answers nothing to its text commands.
    void setCommandsSilent(bool silent) { commandsSilent_ = silent; }
    // Tests: how the module treats one command (matched by its leading letters, the longest
    // matching prefix wins): answer as usual, reject with the given first character, or stay
    // silent.
    enum class Behaviour { Answer, Reject, Silent };
    void setCommandBehaviour(const std::string& prefix, Behaviour b, char rejectCode = 'R') {
        behaviours_[prefix] = {b, rejectCode};
    }
    const std::string& ip() const { return ip_; }
    void setIp(std::string ip) { ip_ = std::move(ip); }
    // Settings written by the set-up commands ("SBR" -> "7", ...).
    const std::map<std::string, std::string>& settings() const { return settings_; }
    const std::vector<std::string>& commandsHeard() const { return heard_; }
    int commandsAnswered() const { return commandsAnswered_; }
    void setDataPort(std::uint16_t port) { dataPort_ = port; }
    // What ends a command answer on the data port (a carriage return unless a test says else).
    void setReplyTerminator(std::string t) { terminator_ = std::move(t); }

private:
    std::optional<std::string> answerCommand(const std::string& command);
    std::optional<std::string> normalAnswer(const std::string& command);

    SimInstrument& instrument_;
    std::string mac_;
    std::string name_;
    std::uint16_t dataPort_ = 0;
    std::deque<platform::Bytes> replies_;
    std::string terminator_ = "\r";
    std::string ip_ = "127.0.0.1";
    bool selected_ = false;
    std::map<std::string, std::pair<Behaviour, char>> behaviours_;
    std::map<std::string, std::string> settings_;
    std::vector<std::string> heard_;
    bool commandsSilent_ = false;
    int commandsAnswered_ = 0;
};

}  // namespace sim
