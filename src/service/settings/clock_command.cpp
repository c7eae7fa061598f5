#include "service/settings/clock_command.h"

#include "service/core/conversation.h"
#include "service/core/messages.h"

namespace service {

Outcome ClockCommand(CommandHost& host) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (conversation.open(*description) != Outcome::Done) return Outcome::Failed;
    if (!host.control().ConOrologio()) {
        host.dialogs().message({std::string(text::kNoClock) + "\n", "", platform::MessageIcon::None,
                                platform::MessageButtons::Ok, 0});
        return Outcome::Refused;
    }
    host.showClockDialog(host.control());
    return Outcome::Done;
}

std::optional<ClockReading> readClock(instrument::UCKRNVisual& control, platform::Clock& clock) {
    auto instrumentTime = control.LeggiOra();
    if (!instrumentTime) return std::nullopt;
    ClockReading r{*instrumentTime, clock.localNow(), 0};
    r.difference = platform::toEpochSeconds(r.instrument) - platform::toEpochSeconds(r.pc);
    return r;
}

}  // namespace service
