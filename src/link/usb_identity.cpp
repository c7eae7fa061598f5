#include "link/usb_identity.h"

namespace krnlink {
namespace {

bool version2(platform::FtDeviceType type) {
    return static_cast<int>(type) >= static_cast<int>(platform::FtDeviceType::R);
}

// The chip's record in its layout; nothing when it cannot be read. A blank EEPROM gives the
// record as it stands (programmed = false).
std::optional<platform::FtEepromData> readRecord(platform::UsbBridge& usb, platform::FtHandle h,
                                                 bool& programmed, bool& layout2) {
    platform::FtDeviceInfo info;
    if (usb.GetDeviceInfo(h, info) != platform::FtStatus::Ok) return std::nullopt;
    platform::FtEepromData record = eepromRecordFor(info.type);
    layout2 = version2(info.type);
    const platform::FtStatus s = usb.EE_Read(h, record);
    if (s != platform::FtStatus::Ok && s != platform::FtStatus::EepromNotProgrammed)
        return std::nullopt;
    programmed = s == platform::FtStatus::Ok;
    return record;
}

void setIdentifiers(platform::FtEepromData& r) {
    r.vendorId = kVendorId;
    r.productId = kProductId;
}

void setPower(platform::FtEepromData& r) {
    r.maxPower = 0;
    r.plugAndPlay = true;
    r.selfPowered = true;
    r.remoteWakeup = false;
}

}  // namespace

platform::FtEepromData eepromRecordFor(platform::FtDeviceType type) {
    platform::FtEepromData r;
    if (version2(type)) {
        r.version = 2;
        r.signature1 = 0x00000000;
        r.signature2 = 0xFFFFFFFF;
    }
    return r;
}

bool ScriviIdentitaUSB(platform::UsbBridge& usb, platform::FtHandle h,
                       const UsbIdentity& identity) {
    bool programmed = false, layout2 = false;
    auto record = readRecord(usb, h, programmed, layout2);
    if (!record) return false;
    setIdentifiers(*record);
    // The manufacturer texts stay those the chip holds unless given; a blank chip gets the
    // bridge maker's.
    if (!identity.manufacturer.empty()) record->manufacturer = identity.manufacturer;
    if (!identity.manufacturerId.empty()) record->manufacturerId = identity.manufacturerId;
    if (record->manufacturer.empty()) record->manufacturer = "FTDI";
    if (record->manufacturerId.empty()) record->manufacturerId = "FT";
    record->description = identity.description;
    record->serialNumber = identity.serialNumber;
    setPower(*record);
    return usb.EE_Program(h, *record) == platform::FtStatus::Ok;
}

bool AggiornaIdentificativiUSB(platform::UsbBridge& usb, platform::FtHandle h) {
    bool programmed = false, layout2 = false;
    auto record = readRecord(usb, h, programmed, layout2);
    if (!record) return false;
    setIdentifiers(*record);
    if (layout2) setPower(*record);
    return usb.EE_Program(h, *record) == platform::FtStatus::Ok;
}

}  // namespace krnlink
