#pragma once
// Simulated FTDI bridges in process: each device carries a simulated instrument (or none) and
// answers the D2XX calls on the given clock.
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/usb_bridge.h"
#include "sim/sim_instrument.h"

namespace sim {

struct SimUsbDevice {
    std::string serialNumber;
    std::string description = "KRN Visual";
    SimInstrument* instrument = nullptr;
    bool failOpen = false;   // OpenEx fails
    bool failReset = false;  // ResetDevice fails, so recovery closes and reopens
    platform::FtEepromData eeprom;
    bool eepromEmpty = false;
    bool invalidHandle = false;  // reading its serial number by index fails with "invalid handle"
    int notReadyReads = 0;       // reads by index that fail first, as right after plug-in
    platform::FtDeviceType type = platform::FtDeviceType::R;  // the chip, as GetDeviceInfo tells it
    platform::FtStatus eepromReadStatus =
        platform::FtStatus::Ok;  // EE_Read fails with this when not Ok
    bool failProgram = false;    // EE_Program fails
    int programs = 0;            // how often the EEPROM was programmed
};

class SimUsbBridge final : public platform::UsbBridge {
public:
    explicit SimUsbBridge(platform::Clock& clock) : clock_(clock) {}

    void addDevice(SimUsbDevice d) { devices_.push_back(std::move(d)); }
    std::vector<SimUsbDevice>& devices() { return devices_; }
    // Names of the calls made, with their main argument: "OpenEx QX3001", "ResetDevice", ...
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    int openHandles() const { return static_cast<int>(open_.size()); }

    platform::FtStatus ListDevices(std::uint32_t& count) override;
    platform::FtStatus ListDevicesByIndex(std::uint32_t index, std::string& serialNumber) override;
    platform::FtStatus GetDeviceInfo(platform::FtHandle h, platform::FtDeviceInfo& info) override;
    platform::FtStatus OpenEx(const std::string& serialNumber, platform::FtHandle& h) override;
    platform::FtStatus Close(platform::FtHandle h) override;
    platform::FtStatus Read(platform::FtHandle h, std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& received) override;
    platform::FtStatus Write(platform::FtHandle h, const std::uint8_t* data, std::uint32_t count,
                             std::uint32_t& written) override;
    platform::FtStatus SetBaudRate(platform::FtHandle h, std::uint32_t baud) override;
    platform::FtStatus SetDataCharacteristics(platform::FtHandle h, std::uint8_t bits,
                                              std::uint8_t stopBits, std::uint8_t parity) override;
    platform::FtStatus SetFlowControl(platform::FtHandle h, std::uint16_t flow, std::uint8_t xon,
                                      std::uint8_t xoff) override;
    platform::FtStatus SetUSBParameters(platform::FtHandle h, std::uint32_t inSize,
                                        std::uint32_t outSize) override;
    platform::FtStatus SetLatencyTimer(platform::FtHandle h, std::uint8_t ms) override;
    platform::FtStatus SetTimeouts(platform::FtHandle h, std::uint32_t readMs,
                                   std::uint32_t writeMs) override;
    platform::FtStatus SetResetPipeRetryCount(platform::FtHandle h, std::uint32_t count) override;
    platform::FtStatus ResetDevice(platform::FtHandle h) override;
    platform::FtStatus GetQueueStatus(platform::FtHandle h, std::uint32_t& waiting) override;
    platform::FtStatus EE_Read(platform::FtHandle h, platform::FtEepromData& data) override;
    platform::FtStatus EE_Program(platform::FtHandle h,
                                  const platform::FtEepromData& data) override;

private:
    struct Open {
        std::size_t device;
        std::uint32_t readTimeoutMs = 100;
    };
    Open* find(platform::FtHandle h);
    platform::FtStatus simple(platform::FtHandle h, const std::string& call);

    platform::Clock& clock_;
    std::vector<SimUsbDevice> devices_;
    std::map<platform::FtHandle, Open> open_;
    platform::FtHandle next_ = 1;
    std::vector<std::string> calls_;
};

}  // namespace sim
