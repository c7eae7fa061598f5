#include "sim/sim_usb_bridge.h"

#include <algorithm>

namespace sim {

using platform::FtHandle;
using platform::FtStatus;

SimUsbBridge::Open* SimUsbBridge::find(FtHandle h) {
    auto it = open_.find(h);
    return it == open_.end() ? nullptr : &it->second;
}

FtStatus SimUsbBridge::simple(FtHandle h, const std::string& call) {
    calls_.push_back(call);
    return find(h) ? FtStatus::Ok : FtStatus::InvalidHandle;
}

FtStatus SimUsbBridge::ListDevices(std::uint32_t& count) {
    calls_.push_back("ListDevices");
    count = static_cast<std::uint32_t>(devices_.size());
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::ListDevicesByIndex(std::uint32_t index, std::string& serialNumber) {
    calls_.push_back("ListDevicesByIndex " + std::to_string(index));
    if (index >= devices_.size()) return FtStatus::DeviceNotFound;
    SimUsbDevice& d = devices_[index];
    if (d.notReadyReads > 0) {
        --d.notReadyReads;
        return FtStatus::DeviceNotFound;
    }
    if (d.invalidHandle) return FtStatus::InvalidHandle;
    serialNumber = d.serialNumber;
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::GetDeviceInfo(FtHandle h, platform::FtDeviceInfo& info) {
    Open* o = find(h);
    if (!o) return FtStatus::InvalidHandle;
    const SimUsbDevice& d = devices_[o->device];
    info = {d.type, static_cast<std::uint32_t>(d.eeprom.vendorId) << 16 | d.eeprom.productId,
            d.serialNumber, d.description};
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::OpenEx(const std::string& serialNumber, FtHandle& h) {
    calls_.push_back("OpenEx " + serialNumber);
    h = 0;
    // The device with that serial number; an empty serial number falls back to the first
    // device, as the vendor's library does with a blank serial.
    std::size_t i = 0;
    while (i < devices_.size() && devices_[i].serialNumber != serialNumber) ++i;
    if (i == devices_.size() && serialNumber.empty() && !devices_.empty()) i = 0;
    if (i == devices_.size()) return FtStatus::DeviceNotFound;
    if (devices_[i].failOpen) return FtStatus::DeviceNotOpened;
    for (const auto& [handle, o] : open_)
        if (o.device == i) return FtStatus::DeviceNotOpened;  // already in use
    h = next_++;
    open_[h] = {i};
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::Close(FtHandle h) {
    calls_.push_back("Close");
    Open* o = find(h);
    if (!o) return FtStatus::InvalidHandle;
    if (SimInstrument* in = devices_[o->device].instrument) in->dropOutput();
    open_.erase(h);
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::Read(FtHandle h, std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& received) {
    received = 0;
    Open* o = find(h);
    if (!o) return FtStatus::InvalidHandle;
    SimInstrument* in = devices_[o->device].instrument;
    const platform::TimePoint deadline = clock_.now() + std::chrono::milliseconds(o->readTimeoutMs);
    while (true) {
        if (in) {
            platform::Bytes got = in->takeOutput(clock_.now(), count - received);
            std::copy(got.begin(), got.end(), buffer + received);
            received += static_cast<std::uint32_t>(got.size());
        }
        const platform::TimePoint now = clock_.now();
        if (received == count || now >= deadline) return FtStatus::Ok;
        auto next = in ? in->nextOutputTime() : std::nullopt;
        clock_.sleepFor(next && *next < deadline ? std::max(*next - now, platform::Duration(1))
                                                 : deadline - now);
    }
}

FtStatus SimUsbBridge::Write(FtHandle h, const std::uint8_t* data, std::uint32_t count,
                             std::uint32_t& written) {
    written = 0;
    calls_.push_back("Write " + std::to_string(count));
    Open* o = find(h);
    if (!o) return FtStatus::InvalidHandle;
    if (SimInstrument* in = devices_[o->device].instrument)
        in->receive(platform::ByteSpan(data, count), clock_.now());
    written = count;
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::SetBaudRate(FtHandle h, std::uint32_t baud) {
    return simple(h, "SetBaudRate " + std::to_string(baud));
}
FtStatus SimUsbBridge::SetDataCharacteristics(FtHandle h, std::uint8_t bits, std::uint8_t stopBits,
                                              std::uint8_t parity) {
    return simple(h, "SetDataCharacteristics " + std::to_string(bits) + " " +
                         std::to_string(stopBits) + " " + std::to_string(parity));
}
FtStatus SimUsbBridge::SetFlowControl(FtHandle h, std::uint16_t flow, std::uint8_t, std::uint8_t) {
    return simple(h, "SetFlowControl " + std::to_string(flow));
}
FtStatus SimUsbBridge::SetUSBParameters(FtHandle h, std::uint32_t inSize, std::uint32_t outSize) {
    return simple(h, "SetUSBParameters " + std::to_string(inSize) + " " + std::to_string(outSize));
}
FtStatus SimUsbBridge::SetLatencyTimer(FtHandle h, std::uint8_t ms) {
    return simple(h, "SetLatencyTimer " + std::to_string(ms));
}
FtStatus SimUsbBridge::SetTimeouts(FtHandle h, std::uint32_t readMs, std::uint32_t writeMs) {
    FtStatus s = simple(h, "SetTimeouts " + std::to_string(readMs) + " " + std::to_string(writeMs));
    if (Open* o = find(h)) o->readTimeoutMs = readMs;
    return s;
}
FtStatus SimUsbBridge::SetResetPipeRetryCount(FtHandle h, std::uint32_t count) {
    return simple(h, "SetResetPipeRetryCount " + std::to_string(count));
}

FtStatus SimUsbBridge::ResetDevice(FtHandle h) {
    FtStatus s = simple(h, "ResetDevice");
    Open* o = find(h);
    if (!o) return s;
    if (devices_[o->device].failReset) return FtStatus::IoError;
    if (SimInstrument* in = devices_[o->device].instrument) in->dropOutput();
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::GetQueueStatus(FtHandle h, std::uint32_t& waiting) {
    waiting = 0;
    Open* o = find(h);
    if (!o) return FtStatus::InvalidHandle;
    if (SimInstrument* in = devices_[o->device].instrument)
        waiting = static_cast<std::uint32_t>(in->outputReady(clock_.now()));
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::EE_Read(FtHandle h, platform::FtEepromData& data) {
    Open* o = find(h);
    if (!o) return FtStatus::InvalidHandle;
    const SimUsbDevice& d = devices_[o->device];
    if (d.eepromReadStatus != FtStatus::Ok) return d.eepromReadStatus;
    if (d.eepromEmpty) return FtStatus::EepromNotProgrammed;
    // The record comes back in the layout the caller asked for; the chip keeps its own fields.
    const std::uint32_t version = data.version, signature1 = data.signature1,
                        signature2 = data.signature2;
    data = d.eeprom;
    data.version = version;
    data.signature1 = signature1;
    data.signature2 = signature2;
    data.serialNumber = d.serialNumber;
    data.description = d.description;
    return FtStatus::Ok;
}

FtStatus SimUsbBridge::EE_Program(FtHandle h, const platform::FtEepromData& data) {
    Open* o = find(h);
    if (!o) return FtStatus::InvalidHandle;
    SimUsbDevice& d = devices_[o->device];
    // The chip takes only the record of its own layout.
    const bool version2 =
        d.type == platform::FtDeviceType::R || d.type == platform::FtDeviceType::X232H;
    const bool layoutOk =
        version2 ? data.version == 2 && data.signature1 == 0 && data.signature2 == 0xFFFFFFFF
                 : data.version == 0;
    if (d.failProgram || !layoutOk) return FtStatus::EepromWriteFailed;
    ++d.programs;
    d.eeprom = data;
    d.serialNumber = data.serialNumber;
    d.description = data.description;
    d.eepromEmpty = false;
    return FtStatus::Ok;
}

}  // namespace sim
