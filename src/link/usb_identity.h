#pragma once
// The USB identity in the bridge chip's EEPROM: vendor and product identifiers, manufacturer,
// description and serial number, by which the selection lists the instrument and the USB
// channel opens it.
#include <optional>
#include <string>

#include "platform/usb_bridge.h"

namespace krnlink {

inline constexpr std::uint16_t kVendorId = 0x0403;
inline constexpr std::uint16_t kProductId = 0x6001;

// The record layout a chip needs: version 2 (with its signature words) from type R on, the older
// unversioned one before.
platform::FtEepromData eepromRecordFor(platform::FtDeviceType type);

// Empty manufacturer texts keep what the chip holds.
struct UsbIdentity {
    std::string manufacturer;
    std::string manufacturerId;
    std::string description;
    std::string serialNumber;
};

// Reads the chip's type and EEPROM (an unprogrammed EEPROM is fine, any other failed read stops
// here) and programs the identity: vendor 0x0403, product 0x6001, the four strings, maximum
// power 0, plug-and-play and self-powered on, remote wake-up off. The chip's other fields stay.
bool ScriviIdentitaUSB(platform::UsbBridge& usb, platform::FtHandle h, const UsbIdentity& identity);

// Rewrites only the identifiers (and, in the version-2 layout, the power fields); every string
// stays as read.
bool AggiornaIdentificativiUSB(platform::UsbBridge& usb, platform::FtHandle h);

}  // namespace krnlink
