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

namespace {

DispositivoUSB readDevice(platform::UsbBridge& usb, std::uint32_t index) {
    using platform::FtStatus;
    DispositivoUSB d;
    platform::FtHandle h = 0;
    for (int attempt = 0; attempt < 5 && h == 0; ++attempt) {
        const FtStatus st = usb.ListDevicesByIndex(index, d.serialNumber);
        if (st == FtStatus::InvalidHandle) {
            d.serialNumber = "Invalid handle";
        } else if (st == FtStatus::Ok && usb.OpenEx(d.serialNumber, h) != FtStatus::Ok) {
            h = 0;
        }
    }
    if (h == 0) return d;
    platform::FtEepromData eeprom;
    const FtStatus st = usb.EE_Read(h, eeprom);
    if (st == FtStatus::Ok) {
        d.serialNumber = eeprom.serialNumber;
        d.description = eeprom.description;
    } else if (st == FtStatus::EepromNotProgrammed) {
        d.serialNumber = "EEPROM Empty";
    }
    usb.Close(h);
    return d;
}

}  // namespace

std::vector<DispositivoUSB> ElencaDispositiviUSB(platform::UsbBridge& usb, platform::Clock& clock,
                                                 const std::string& filter, const bool* cancel) {
    std::vector<DispositivoUSB> list;
    std::uint32_t count = 0;
    if (usb.ListDevices(count) != platform::FtStatus::Ok || count == 0) return list;
    // Right after plug-in the driver needs a moment before it reports serial numbers.
    std::string first;
    for (int i = 0; i < 500 && !(cancel && *cancel); ++i) {
        if (usb.ListDevicesByIndex(0, first) == platform::FtStatus::Ok) break;
        clock.sleepFor(std::chrono::milliseconds(2));
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        DispositivoUSB d = readDevice(usb, i);
        if (filter.empty() || d.serialNumber.rfind(filter, 0) == 0) list.push_back(std::move(d));
    }
    return list;
}

}  // namespace krnlink
