#include "link/zenko_usb.h"

namespace krnlink {

platform::FtHandle ApriUSBPerNumeroSerie(platform::UsbBridge& usb, const std::string& serial) {
    using platform::FtStatus;
    platform::FtHandle h = 0;
    if (usb.OpenEx(serial, h) != FtStatus::Ok || h == 0) return 0;
    bool ok = usb.SetDataCharacteristics(h, platform::FT_BITS_8, platform::FT_STOP_BITS_1,
                                         platform::FT_PARITY_NONE) == FtStatus::Ok &&
              usb.SetFlowControl(h, platform::FT_FLOW_NONE, 0, 0) == FtStatus::Ok &&
              usb.SetUSBParameters(h, 4096, 4096) == FtStatus::Ok &&
              usb.SetLatencyTimer(h, 1) == FtStatus::Ok &&
              usb.SetTimeouts(h, 100, 1000) == FtStatus::Ok &&
              usb.SetResetPipeRetryCount(h, 0xFFFFFF) == FtStatus::Ok;
    if (!ok) {
        // Leaving a half-configured device open would keep it from the next open.
        usb.Close(h);
        return 0;
    }
    return h;
}

}  // namespace krnlink
