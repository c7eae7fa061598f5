#include "service/core/controller.h"

#include <cstdlib>

#include "service/core/messages.h"

namespace service {

instrument::ErrPR CMain::Connect(const std::string& description) {
    instrument::UCKRNVisual& control = host_.control();
    while (
        !instrument::ApriCollegamento(control, description, host_.serialPort(), host_.socket())) {
        // An open the technician gave up with Cancel is not offered again.
        if (cancel_) return instrument::errPR_Comm;
        const auto answer = host_.dialogs().message(
            {std::string(text::kCommunicationError) + "\n" + description, "",
             platform::MessageIcon::Exclamation, platform::MessageButtons::RetryCancel, 0});
        if (answer != platform::MessageResult::Retry) return instrument::errPR_Comm;
    }
    if (control.ConOrologio()) {
        auto instrumentTime = control.LeggiOra();
        if (!instrumentTime) return instrument::errPR_Comm;
        const auto difference = platform::toEpochSeconds(*instrumentTime) -
                                platform::toEpochSeconds(host_.clock().localNow());
        if (std::llabs(difference) > 2) host_.showClockDialog(control);
    }
    return instrument::PreparaStrumento(control);
}

void CMain::Disconnect() {
    instrument::Disconnect(host_.control());
}

std::optional<platform::MessageBox> errorBox(instrument::ErrPR code,
                                             const instrument::UCKRNVisual& control) {
    using platform::MessageIcon;
    switch (code) {
        case instrument::errPR_OK:
            return std::nullopt;
        case instrument::errPR_InUse:
            return platform::MessageBox{text::kBlockingError, "", MessageIcon::Information};
        case instrument::errPR_VerInstrument:
            return platform::MessageBox{std::string(text::kNotSupported) +
                                            "\nType: " + std::to_string(control.Protocollo()) +
                                            "\nRelease: " + std::to_string(control.Estensioni()),
                                        "", MessageIcon::Critical};
        case instrument::errPR_Comm:
            return platform::MessageBox{text::kCommunicationError, "", MessageIcon::Critical};
        case instrument::errPR_Memory:
            return platform::MessageBox{text::kTestMemoryFail, "", MessageIcon::Critical};
        case instrument::errPR_Erase:
        case instrument::errPR_Setup:
            return platform::MessageBox{text::kErrore, "", MessageIcon::None};
    }
    return std::nullopt;
}

void CMain::ShowErrorMsg(instrument::ErrPR code) {
    if (auto box = errorBox(code, host_.control())) host_.dialogs().message(*box);
}

int CMain::scaleFor(long total) {
    if (total <= 32000) return 1;
    if (total <= 320000) return 10;
    if (total <= 3200000) return 100;
    return 1000;
}

std::string CMain::stageText(int stage) {
    switch (stage) {
        case idProc_Format:
            return "Formatting memory...";
        case idProc_WriteOptions:
            return "Setup options...";
        case idProc_Init:
            return "Initialization...";
        case idProc_MemoryTest:
            return "Memory test:";
        case idProc_Clean:
            return "Cleaning memory...";
        default:
            return "Progress...";
    }
}

void CMain::StartTransfer(long total, TransferUnit unit) {
    unit_ = unit;
    scale_ = scaleFor(total);
    maximum_ = total / scale_;
    shown_ = 0;
    ProgressView& view = host_.progressView();
    view.showStatus(stageText(stage_));
    view.showProgress(maximum_);
    view.processEvents();
}

bool CMain::UpdateTransfer(long count) {
    ProgressView& view = host_.progressView();
    const long value = count / scale_;
    if (value > shown_ && value <= maximum_) {
        shown_ = value;
        view.setProgress(value);
    }
    view.processEvents();
    return cancel_;
}

void CMain::StopTransfer(bool) {
    host_.progressView().hideProgress();
}

}  // namespace service
