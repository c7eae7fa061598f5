#include "backup/instrument_state.h"

namespace backup {

std::optional<Result> refuseInstrument(const instrument::UCKRNVisual& control, bool supported,
                                       const std::string& nothingDone) {
    // The configuration read ends with one of these states; only 0 maps the memory.
    switch (control.StatoConfigurazione()) {
        case 3:
            return refused(
                "The instrument's memory is not formatted (its signature is missing).\n" +
                nothingDone);
        case 4:
            return refused(
                "The instrument's memory has another format number than its firmware expects.\n" +
                nothingDone);
        default:
            break;
    }
    if (control.UpdateMode())
        return refused("The instrument is in update mode (it runs its firmware loader).\n" +
                       nothingDone);
    if (!supported)
        return refused(
            "The instrument is not supported.\nType: " + std::to_string(control.Protocollo()) +
            "\nRelease: " + std::to_string(control.Estensioni()));
    return std::nullopt;
}

}  // namespace backup
