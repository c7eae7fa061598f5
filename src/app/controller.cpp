#include "app/controller.h"

#include <cstdlib>

namespace app {

instrument::ErrPR CMain::Connect(instrument::UCKRNVisual& control, const std::string& description) {
    while (!instrument::ApriCollegamento(control, description, serial_, socket_)) {
        const auto answer = dialogs_.message({"Communication error\n" + description, "",
                                              platform::MessageIcon::Exclamation,
                                              platform::MessageButtons::RetryCancel, 0});
        if (answer != platform::MessageResult::Retry) return instrument::errPR_Comm;
    }
    if (control.ConOrologio()) {
        auto instrumentTime = control.LeggiOra();
        if (!instrumentTime) return instrument::errPR_Comm;
        const auto difference = platform::toEpochSeconds(*instrumentTime) - platform::toEpochSeconds(clock_.localNow());
        if (std::llabs(difference) > 2) view_.showClockDialog(control);
    }
    return instrument::PreparaStrumento(control);
}

void CMain::Disconnect(instrument::UCKRNVisual& control) { instrument::Disconnect(control); }

void CMain::ShowErrorMsg(instrument::ErrPR code, const instrument::UCKRNVisual& control) {
    using platform::MessageIcon;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    switch (code) {
        case instrument::errPR_OK: return;
        case instrument::errPR_InUse:
            text = "Error communication for blocking the instruments.";
            icon = MessageIcon::Information;
            break;
        case instrument::errPR_VerInstrument:
            text = "The instrument is not supported.\nType: " + std::to_string(control.Protocollo()) +
                   "\nRelease: " + std::to_string(control.Estensioni());
            icon = MessageIcon::Critical;
            break;
        case instrument::errPR_Comm:
            text = "Communication error";
            icon = MessageIcon::Critical;
            break;
        case instrument::errPR_Memory:
            text = "Test memory fail.";
            icon = MessageIcon::Critical;
            break;
        case instrument::errPR_Erase:
        case instrument::errPR_Setup: text = "Errore."; break;
    }
    dialogs_.message({text, "", icon, platform::MessageButtons::Ok, 0});
}

int CMain::scaleFor(long total) {
    if (total <= 32000) return 1;
    if (total <= 320000) return 10;
    if (total <= 3200000) return 100;
    return 1000;
}

std::string CMain::stageText(int stage) {
    switch (stage) {
        case idProc_Format: return "Formatting memory...";
        case idProc_WriteOptions: return "Setup options...";
        case idProc_Init: return "Initialization...";
        case idProc_MemoryTest: return "Memory test:";
        case idProc_Clean: return "Cleaning memory...";
        default: return "Progress...";
    }
}

void CMain::StartTransfer(long total) {
    scale_ = scaleFor(total);
    maximum_ = total / scale_;
    view_.showStatus(stageText(stage_));
    view_.showProgress(maximum_);
    view_.processEvents();
}

bool CMain::UpdateTransfer(long count) {
    const long value = count / scale_;
    if (value <= maximum_) view_.setProgress(value);
    view_.processEvents();
    return cancel_;
}

void CMain::StopTransfer(bool) { view_.hideProgress(); }

}  // namespace app
