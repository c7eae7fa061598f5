#pragma once
// "&Copy screen..." and "Copy &menu...": the instrument's display read plane by plane (command
// 22) and drawn into a picture, which can be saved as a Windows bitmap. The copy runs on an
// instrument control and channels of its own (the dialog's), opened without the transfer lock.
#include <cstdint>
#include <functional>
#include <string>

#include "resources/screen_bitmap.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// The display memory as the copy reads it: planes of 320 x 240 pixels, 40 bytes a row.
inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenRows = 240;
inline constexpr int kMenuRows = 57;
inline constexpr std::int32_t kPlaneA = 0;
inline constexpr std::int32_t kPlaneB = 9728;
inline constexpr std::int32_t kPlaneC = 19456;
// Failed reads tolerated in a row before a plane is given up.
inline constexpr int kScreenReadAttempts = 80;

// The instrument control and the channels the copy talks through.
struct ScreenChannels {
    instrument::UCKRNVisual& control;
    platform::SerialPort* serial;
    platform::UdpSocket* socket;
};

enum class ScreenCopyEnd {
    Complete,    // every plane read
    Incomplete,  // a plane ended after too many failed reads; what was drawn stays
    Cancelled,   // the technician cancelled; what was drawn stays
    NoLink,      // the link could not be opened (the box was shown)
};

// The dialog's state: FCopiaDisplay without its widgets.
class ScreenCopy {
public:
    explicit ScreenCopy(bool menuMode);

    bool menuMode() const { return menuMode_; }
    int rows() const { return rows_; }
    const resources::ScreenPicture& picture() const { return picture_; }
    // Successful display reads of the last copy.
    int reads() const { return reads_; }

    // Start: opens the link for the description, reads the planes and draws them, ends the
    // conversation. After every successful read `drawn` is called (the window repaints), the
    // host's events are processed and its cancel flag is asked.
    ScreenCopyEnd start(CommandHost& host, const std::string& description, ScreenChannels channels,
                        const std::function<void()>& drawn = {});

    // Save...: the file dialog, then the bitmap; a cancel or a write failure ends it silently.
    bool save(CommandHost& host) const;

private:
    enum class Plane { A, B, C };
    enum class PlaneEnd { Complete, Incomplete, Cancelled };
    PlaneEnd readPlane(CommandHost& host, instrument::UCKRNVisual& control, Plane plane,
                       std::int32_t start, int yOffset, const std::function<void()>& drawn);
    void draw(Plane plane, int x, int y, bool set);

    bool menuMode_;
    int rows_;
    resources::ScreenPicture picture_;
    int reads_ = 0;
};

// The menu entries: the selection dialog, then the screen copy's dialog.
Outcome ScreenCopyCommand(CommandHost& host);
Outcome MenuCopyCommand(CommandHost& host);

}  // namespace service
