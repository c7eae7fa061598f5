#include "service/core/conversation.h"

#include "instrument/connection.h"
#include "service/core/controller.h"
#include "service/core/messages.h"

namespace service {

std::optional<std::string> selectInstrument(CommandHost& host) {
    return host.selectInstrument(text::kSelectInstrument, {});
}

Outcome Conversation::connect(const std::string& description) {
    const instrument::ErrPR code = host_.controller().Connect(description);
    opened_ = host_.control().Collegato();
    code_ = opened_ ? code : instrument::errPR_Comm;
    lockAttempted_ = opened_;
    if (!opened_) return host_.controller().Annullando() ? Outcome::Cancelled : Outcome::Failed;
    return code == instrument::errPR_InUse ? Outcome::Refused : Outcome::Done;
}

Outcome Conversation::open(const std::string& description) {
    opened_ = instrument::ApriCollegamento(host_.control(), description, host_.serialPort(),
                                           host_.socket());
    if (opened_) return Outcome::Done;
    if (host_.controller().Annullando()) return Outcome::Cancelled;  // given up with Cancel
    host_.dialogs().message({std::string(text::kCommunicationError) + "\n", "",
                             platform::MessageIcon::None, platform::MessageButtons::Ok, 0});
    return Outcome::Failed;
}

Outcome Conversation::adopt() {
    opened_ = host_.control().Collegato();
    return opened_ ? Outcome::Done : Outcome::Failed;
}

Outcome Conversation::lock() {
    if (!opened_) return Outcome::Failed;
    instrument::UCKRNVisual& c = host_.control();
    if (c.UpdateMode()) return Outcome::Done;
    lockAttempted_ = true;
    const instrument::PressLock press = c.BloccaPressa();
    const char* failure = nullptr;
    Outcome outcome = Outcome::Done;
    if (!press.ok) {
        failure = text::kBlockingError;
        outcome = Outcome::Failed;
    } else if (!press.locked) {
        failure = text::kBlockingFailed;
        outcome = Outcome::Refused;
    } else if (!c.BloccaTastiera()) {
        failure = text::kBlockingError;
        outcome = Outcome::Failed;
    }
    if (failure)
        host_.dialogs().message(
            {failure, "", platform::MessageIcon::None, platform::MessageButtons::Ok, 0});
    return outcome;
}

void Conversation::close() {
    if (!opened_) return;
    opened_ = false;
    instrument::UCKRNVisual& c = host_.control();
    if (lockAttempted_) {
        instrument::Disconnect(c);
    } else if (c.link().lineDead()) {
        c.ChiudiPortaComunicazione();
    } else {
        c.ChiudiComunicazioni00(true);
    }
    lockAttempted_ = false;
}

}  // namespace service
