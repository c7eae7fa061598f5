#include "platform/usb_bridge.h"

namespace platform {

const char* ftStatusText(FtStatus s) {
    switch (s) {
        case FtStatus::Ok:
            return "OK";
        case FtStatus::InvalidHandle:
            return "Invalid handle";
        case FtStatus::DeviceNotFound:
            return "Device not found";
        case FtStatus::DeviceNotOpened:
            return "Device not opened";
        case FtStatus::IoError:
            return "I/O error";
        case FtStatus::InsufficientResources:
            return "Insufficient resources";
        case FtStatus::InvalidParameter:
            return "Invalid parameter";
        case FtStatus::InvalidBaudRate:
            return "Invalid baud rate";
        case FtStatus::EepromReadFailed:
            return "EEPROM read failed";
        case FtStatus::EepromWriteFailed:
            return "EEPROM write failed";
        case FtStatus::EepromNotProgrammed:
            return "EEPROM not programmed";
        case FtStatus::NotSupported:
            return "Not supported";
        case FtStatus::OtherError:
            return "Other error";
    }
    return "Unknown error";
}

}  // namespace platform
