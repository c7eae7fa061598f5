#pragma once
// The FTDI D2XX driver's FTD2XX.DLL behind UsbBridge, loaded at run time on first use: a PC
// without the driver still runs every serial and Ethernet command. Without the DLL every call
// answers "Device not found" (no devices), and the reporter is told once why.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/usb_bridge.h"

namespace platform::win {

// The text reported when the DLL cannot be loaded or lacks a function.
std::string d2xxMissingText(const std::string& library, const std::string& missingFunction);

class D2xxUsbBridge final : public UsbBridge {
public:
    // library: the DLL's name or path; report: told once, at the first call, when it is missing.
    explicit D2xxUsbBridge(std::string library = "FTD2XX.DLL",
                           std::function<void(const std::string&)> report = {});
    ~D2xxUsbBridge() override;
    D2xxUsbBridge(const D2xxUsbBridge&) = delete;
    D2xxUsbBridge& operator=(const D2xxUsbBridge&) = delete;

    // Loads the DLL if not done yet; false when it or one of its functions is missing.
    bool load();

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
    struct Api;
    // The DLL's handle for h; nullptr when h is not open.
    void* device(FtHandle h) const;
    // fn(the DLL's handle, args...) for an open h.
    template <class Fn, class... Args>
    FtStatus call(FtHandle h, Fn fn, Args... args) {
        void* d = device(h);
        if (!d || !fn) return FtStatus::InvalidHandle;
        return static_cast<FtStatus>(fn(d, args...));
    }

    std::string library_;
    std::function<void(const std::string&)> report_;
    std::unique_ptr<Api> api_;
    bool tried_ = false;
    std::map<FtHandle, void*> handles_;
    FtHandle next_ = 1;
};

}  // namespace platform::win
