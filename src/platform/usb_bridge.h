#pragma once
// The FTDI USB-serial bridge, with the calls of the vendor's D2XX library by name and meaning.
// Handles are small non-zero numbers; 0 means no device.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace platform {

using FtHandle = std::uint32_t;

enum class FtStatus : int {
    Ok = 0,
    InvalidHandle = 1,
    DeviceNotFound = 2,
    DeviceNotOpened = 3,
    IoError = 4,
    InsufficientResources = 5,
    InvalidParameter = 6,
    InvalidBaudRate = 7,
    EepromReadFailed = 11,
    EepromWriteFailed = 12,
    EepromNotProgrammed = 15,
    NotSupported = 17,
    OtherError = 18,
};

const char* ftStatusText(FtStatus s);

enum class FtDeviceType : int { BM = 0, AM = 1, R = 5, X232H = 6, Unknown = 3 };

struct FtDeviceInfo {
    FtDeviceType type = FtDeviceType::Unknown;
    std::uint32_t id = 0;  // vendor id << 16 | product id
    std::string serialNumber;
    std::string description;
};

// The user-visible part of the chip's EEPROM.
struct FtEepromData {
    std::uint16_t vendorId = 0x0403;
    std::uint16_t productId = 0x6001;
    std::string manufacturer;
    std::string manufacturerId;
    std::string description;
    std::string serialNumber;
    std::uint16_t maxPower = 90;
    bool selfPowered = false;
    bool remoteWakeup = false;
    bool plugAndPlay = true;
    // The record's layout: 0 for the older, unversioned one (chips before type R); 2 for the
    // version-2 one, which carries the signature words 0x00000000 and 0xFFFFFFFF.
    std::uint32_t version = 0;
    std::uint32_t signature1 = 0;
    std::uint32_t signature2 = 0;
};

constexpr std::uint8_t FT_BITS_8 = 8;
constexpr std::uint8_t FT_STOP_BITS_1 = 0;
constexpr std::uint8_t FT_PARITY_NONE = 0;
constexpr std::uint16_t FT_FLOW_NONE = 0;

class UsbBridge {
public:
    virtual ~UsbBridge() = default;
    // FT_ListDevices, number-only mode: how many devices are attached.
    virtual FtStatus ListDevices(std::uint32_t& count) = 0;
    // FT_ListDevices, by-index mode: the serial number of device `index` (0-based, bus order).
    virtual FtStatus ListDevicesByIndex(std::uint32_t index, std::string& serialNumber) = 0;
    virtual FtStatus GetDeviceInfo(FtHandle h, FtDeviceInfo& info) = 0;
    virtual FtStatus OpenEx(const std::string& serialNumber, FtHandle& h) = 0;
    virtual FtStatus Close(FtHandle h) = 0;
    // Returns after count bytes or after the read timeout, with what arrived by then.
    virtual FtStatus Read(FtHandle h, std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t& received) = 0;
    virtual FtStatus Write(FtHandle h, const std::uint8_t* data, std::uint32_t count,
                           std::uint32_t& written) = 0;
    virtual FtStatus SetBaudRate(FtHandle h, std::uint32_t baud) = 0;
    virtual FtStatus SetDataCharacteristics(FtHandle h, std::uint8_t bits, std::uint8_t stopBits,
                                            std::uint8_t parity) = 0;
    virtual FtStatus SetFlowControl(FtHandle h, std::uint16_t flow, std::uint8_t xon,
                                    std::uint8_t xoff) = 0;
    virtual FtStatus SetUSBParameters(FtHandle h, std::uint32_t inSize, std::uint32_t outSize) = 0;
    virtual FtStatus SetLatencyTimer(FtHandle h, std::uint8_t ms) = 0;
    virtual FtStatus SetTimeouts(FtHandle h, std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual FtStatus SetResetPipeRetryCount(FtHandle h, std::uint32_t count) = 0;
    virtual FtStatus ResetDevice(FtHandle h) = 0;
    virtual FtStatus GetQueueStatus(FtHandle h, std::uint32_t& waiting) = 0;
    virtual FtStatus EE_Read(FtHandle h, FtEepromData& data) = 0;
    virtual FtStatus EE_Program(FtHandle h, const FtEepromData& data) = 0;
};

}  // namespace platform
