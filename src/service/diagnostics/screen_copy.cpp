#include "service/diagnostics/screen_copy.h"

#include <filesystem>

#include "instrument/connection.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"

namespace service {
namespace {
constexpr int kPictureWidth = 332;
constexpr int kFrameRight = 327;
constexpr int kMargin = 4;
}  // namespace

ScreenCopy::ScreenCopy(bool menuMode)
    : menuMode_(menuMode),
      rows_(menuMode ? kMenuRows : kScreenRows),
      picture_(kPictureWidth, menuMode ? kMenuRows + 4 : kScreenRows + 12) {}

void ScreenCopy::draw(Plane plane, int x, int y, bool set) {
    switch (plane) {
        case Plane::A:
            picture_.set(x, y, set ? resources::kBlack : resources::kWhite);
            break;
        case Plane::B:
            if (!set) picture_.set(x, y, resources::kWhite);
            break;
        case Plane::C:
            if (set) picture_.set(x, y, resources::kBlack);
            break;
    }
}

ScreenCopy::PlaneEnd ScreenCopy::readPlane(CommandHost& host, instrument::UCKRNVisual& control,
                                           Plane plane, std::int32_t start, int yOffset,
                                           const std::function<void()>& drawn) {
    std::int32_t address = start;
    int x = 0, y = 0;
    for (int attempt = 1; attempt <= kScreenReadAttempts && y < rows_; ++attempt) {
        const auto data = control.LeggiMemoriaDisplay(address);
        if (!data) continue;
        ++reads_;
        for (std::size_t i = 0; i < data->size() && y < rows_; ++i) {
            for (int bit = 7; bit >= 0 && y < rows_; --bit) {
                draw(plane, x + kMargin, y + yOffset, ((*data)[i] >> bit) & 1);
                if (++x == kScreenWidth) {
                    x = 0;
                    ++y;
                }
            }
        }
        address += static_cast<std::int32_t>(data->size());
        attempt = 1;  // and up by one with the loop's step: 79 further failures are tolerated
        if (drawn) drawn();
        host.progressView().processEvents();
        if (host.controller().Annullando()) return PlaneEnd::Cancelled;
    }
    return y >= rows_ ? PlaneEnd::Complete : PlaneEnd::Incomplete;
}

ScreenCopyEnd ScreenCopy::start(CommandHost& host, const std::string& description,
                                ScreenChannels channels, const std::function<void()>& drawn) {
    instrument::UCKRNVisual& control = channels.control;
    reads_ = 0;
    // The cancel flag belongs to this copy: one raised during an earlier copy of the dialog
    // does not stop this one at its first read.
    host.controller().clearCancel();
    if (!instrument::ApriCollegamento(control, description, channels.serial, channels.socket) ||
        !control.Collegato()) {
        host.dialogs().message({"Non è possibile comunicare con lo strumento.", "",
                                platform::MessageIcon::None, platform::MessageButtons::Ok, 0});
        return ScreenCopyEnd::NoLink;
    }
    picture_.clear();
    PlaneEnd end = PlaneEnd::Complete;
    if (!menuMode_) {
        for (int y = 0; y < kMargin; ++y)
            for (int x = 0; x <= kFrameRight; ++x) {
                picture_.set(x, y, resources::kLightGrey);
                picture_.set(x, rows_ + kMargin + y, resources::kLightGrey);
            }
        end = readPlane(host, control, Plane::A, kPlaneA, kMargin, drawn);
        if (end == PlaneEnd::Complete)
            end = readPlane(host, control, Plane::B, kPlaneB, kMargin, drawn);
    }
    if (end == PlaneEnd::Complete) {
        const std::int32_t startC = kPlaneC + (kScreenRows - rows_) * (kScreenWidth / 8);
        end = readPlane(host, control, Plane::C, startC, menuMode_ ? 0 : kMargin, drawn);
    }
    control.ChiudiComunicazioni00(true);
    switch (end) {
        case PlaneEnd::Complete:
            return ScreenCopyEnd::Complete;
        case PlaneEnd::Cancelled:
            return ScreenCopyEnd::Cancelled;
        case PlaneEnd::Incomplete:
            break;
    }
    return ScreenCopyEnd::Incomplete;
}

bool ScreenCopy::save(CommandHost& host) const {
    // The dialog opens in the program folder, where the tool keeps the files it makes.
    const auto path =
        host.dialogs().saveFile("", host.programFolder(), {{"Immagine (*.bmp)", {"*.bmp"}}});
    if (!path || path->empty()) return false;
    std::filesystem::path file(*path);
    if (!file.has_extension()) file += ".Bmp";  // the dialog's default extension
    if (!resources::writeBitmapFile(picture_, file.string())) return false;
    host.activity.push_back("saved: " + file.string());
    return true;
}

namespace {
Outcome copyCommand(CommandHost& host, bool menuMode) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    host.showScreenCopy(*description, menuMode);
    return Outcome::Done;
}
}  // namespace

Outcome ScreenCopyCommand(CommandHost& host) {
    return copyCommand(host, false);
}
Outcome MenuCopyCommand(CommandHost& host) {
    return copyCommand(host, true);
}

}  // namespace service
