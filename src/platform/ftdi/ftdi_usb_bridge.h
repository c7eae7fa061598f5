#pragma once
#include <map>
#include <memory>

#include "platform/usb_bridge.h"

struct ftdi_context;

namespace platform::ftdi {

// libftdi1 behind the D2XX-shaped UsbBridge. libftdi has no queue status, so every open device
// keeps its own receive buffer that GetQueueStatus and Read fill from the chip. Opening a device
// resets the chip (libftdi does so in its open).
class FtdiUsbBridge final : public UsbBridge {
public:
    FtdiUsbBridge();
    ~FtdiUsbBridge() override;

    FtStatus ListDevices(std::uint32_t& count) override;
    FtStatus ListDevicesByIndex(std::uint32_t index, std::string& serialNumber) override;
    FtStatus GetDeviceInfo(FtHandle h, FtDeviceInfo& info) override;
    FtStatus OpenEx(const std::string& serialNumber, FtHandle& h) override;
    FtStatus Close(FtHandle h) override;
    FtStatus Read(FtHandle h, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& received) override;
    FtStatus Write(FtHandle h, const std::uint8_t* data, std::uint32_t count,
                   std::uint32_t& written) override;
    FtStatus SetBaudRate(FtHandle h, std::uint32_t baud) override;
    FtStatus SetDataCharacteristics(FtHandle h, std::uint8_t bits, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus SetFlowControl(FtHandle h, std::uint16_t flow, std::uint8_t xon,
                            std::uint8_t xoff) override;
    FtStatus SetUSBParameters(FtHandle h, std::uint32_t inSize, std::uint32_t outSize) override;
    FtStatus SetLatencyTimer(FtHandle h, std::uint8_t ms) override;
    FtStatus SetTimeouts(FtHandle h, std::uint32_t readMs, std::uint32_t writeMs) override;
    FtStatus SetResetPipeRetryCount(FtHandle h, std::uint32_t count) override;
    FtStatus ResetDevice(FtHandle h) override;
    FtStatus GetQueueStatus(FtHandle h, std::uint32_t& waiting) override;
    FtStatus EE_Read(FtHandle h, FtEepromData& data) override;
    FtStatus EE_Program(FtHandle h, const FtEepromData& data) override;

private:
    struct Device;
    Device* find(FtHandle h);
    bool fill(Device& d);

    std::map<FtHandle, std::unique_ptr<Device>> devices_;
    FtHandle next_ = 1;
};

}  // namespace platform::ftdi
