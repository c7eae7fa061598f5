#include "service/settings/value_commands.h"

#include <cmath>

#include "service/core/answers.h"
#include "service/core/conversation.h"
#include "service/core/messages.h"
#include "service/core/restart.h"

namespace service {
namespace {

using Read = std::optional<std::uint8_t> (instrument::Configuration::*)();
using Write = bool (instrument::Configuration::*)(std::uint8_t);

struct ValueCommand {
    const char* what;  // the value, for the table of the front ends
    const char* title;
    const char* prompt;
    int low, high;
    const char* rangeBox;
    int minimumVersion;  // hundredths; 0 = any
    bool restart;
    Read read;
    Write write;
};

constexpr const char* kRange1To255 = "Insert a number in range 1 to 255.";

using C = instrument::Configuration;
const ValueCommand kForceFilter{"Force transducer low pass filter",
                                "Force filter",
                                "Insert the power of filter\n(0=none, 60=max)",
                                0,
                                60,
                                "The force filter takes a value from 0 (none) to 60 (max).",
                                248,
                                true,
                                &C::FiltroForza,
                                &C::WriteFiltroForza};
const ValueCommand kStartForce{"Default start force",
                               "Default start force",
                               "Insert the default start force\n(1 to 255)",
                               1,
                               255,
                               kRange1To255,
                               0,
                               false,
                               &C::DefaultForzaInizio,
                               &C::WriteDefaultForzaInizio};
const ValueCommand kWaitEnd{"End-wait samples",
                            "End-wait samples",
                            "Insert the number of end-wait samples\n(0 to 255)",
                            0,
                            255,
                            "Insert a number in range 0 to 255.",
                            0,
                            true,
                            &C::CampioniAttesaFine,
                            &C::WriteCampioniAttesaFine};
const ValueCommand kClockPrescaler{"Clock prescaler in speed acquisition",
                                   "Clock prescaler",
                                   "Insert the clock prescaler value\n(1 to 255)",
                                   1,
                                   255,
                                   kRange1To255,
                                   0,
                                   true,
                                   &C::CampioniValidi,
                                   &C::WriteCampioniValidi};

Outcome communicationError(CommandHost& host) {
    tell(host, text::kCommunicationErrorDot);
    return Outcome::Failed;
}

Outcome run(CommandHost& host, const ValueCommand& command) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (const Outcome o = conversation.open(*description); o != Outcome::Done) return o;
    instrument::UCKRNVisual& c = host.control();
    if (command.minimumVersion > 0 && std::lround(c.versione() * 100.0f) < command.minimumVersion) {
        tell(host, "This option is present only from the instrument's version 2.48.");
        return Outcome::Refused;
    }
    if (const Outcome o = conversation.lock(); o != Outcome::Done) {
        tell(host, text::kKrnBlocking);
        return o;
    }
    const auto current = (c.configuration().*command.read)();
    if (!current) return communicationError(host);
    const auto answer =
        host.dialogs().input(command.prompt, command.title, std::to_string(*current));
    if (!answer || trimmed(*answer).empty()) return Outcome::Cancelled;
    const auto number = numericAnswer(*answer);
    if (!number) {
        tell(host, "Insert a number.");
        return Outcome::Refused;
    }
    const double value = std::nearbyint(*number);
    if (value < command.low || value > command.high) {
        tell(host, command.rangeBox, platform::MessageIcon::Information);
        return Outcome::Refused;
    }
    const auto send =
        host.dialogs().message({"Send new value?", command.title, platform::MessageIcon::Question,
                                platform::MessageButtons::YesNo, 0});
    if (send != platform::MessageResult::Yes) return Outcome::Cancelled;
    if (!(c.configuration().*command.write)(static_cast<std::uint8_t>(value)))
        return communicationError(host);
    host.activity.push_back(std::string(command.title) + " = " +
                            std::to_string(static_cast<int>(value)) + " written");
    if (command.restart) restartInstrument(host);
    return Outcome::Done;
}

}  // namespace

Outcome ForceFilterCommand(CommandHost& host) {
    return run(host, kForceFilter);
}
Outcome StartForceCommand(CommandHost& host) {
    return run(host, kStartForce);
}
Outcome WaitEndCommand(CommandHost& host) {
    return run(host, kWaitEnd);
}
Outcome ClockPrescalerCommand(CommandHost& host) {
    return run(host, kClockPrescaler);
}

const std::vector<ValueCommandEntry>& valueCommands() {
    auto entry = [](const char* shortName, const char* member, const ValueCommand& v,
                    MenuCommand command, const char* more) {
        return ValueCommandEntry{shortName,
                                 member,
                                 std::string(v.what) + " (" + std::to_string(v.low) + " to " +
                                     std::to_string(v.high) + more +
                                     (v.restart ? "; the instrument restarts" : "") + ")",
                                 v.low,
                                 v.high,
                                 command};
    };
    static const std::vector<ValueCommandEntry> table{
        entry("force-filter", "FiltroForza", kForceFilter, &ForceFilterCommand,
              "; 0 none, 60 max; version 2.48 and later"),
        entry("start-force", "DefaultForzaInizio", kStartForce, &StartForceCommand, ""),
        entry("wait-end", "CampioniAttesaFine", kWaitEnd, &WaitEndCommand, ""),
        entry("prescaler", "CampioniValidi", kClockPrescaler, &ClockPrescalerCommand, ""),
    };
    return table;
}

}  // namespace service
