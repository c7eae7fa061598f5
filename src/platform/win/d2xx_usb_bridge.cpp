#include "platform/win/d2xx_usb_bridge.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/win/d2xx_api.h"

namespace platform::win {
namespace {

using namespace d2xx;

// Text buffers of the record.
struct EepromTexts {
    std::array<char, 64> manufacturer{};
    std::array<char, 16> manufacturerId{};
    std::array<char, 64> description{};
    std::array<char, 16> serialNumber{};

    void attach(FT_PROGRAM_DATA& r) {
        r.Manufacturer = manufacturer.data();
        r.ManufacturerId = manufacturerId.data();
        r.Description = description.data();
        r.SerialNumber = serialNumber.data();
    }
    // A record whose texts point here, with the signatures the driver wants for `version`.
    void prepare(FT_PROGRAM_DATA& r, DWORD version) {
        attach(r);
        r.Signature1 = 0x00000000;
        r.Signature2 = 0xFFFFFFFF;
        r.Version = version;
    }
};

template <std::size_t N>
void copyText(std::array<char, N>& to, const std::string& from) {
    to.fill('\0');
    std::memcpy(to.data(), from.data(), std::min(from.size(), N - 1));
}

FtStatus status(FT_STATUS s) {
    return static_cast<FtStatus>(s);
}

}  // namespace

std::string d2xxMissingText(const std::string& library, const std::string& missingFunction) {
    if (missingFunction.empty())
        return library +
               " was not found: USB instruments need the FTDI D2XX driver installed (serial "
               "ports and Ethernet work without it).";
    return library + " has no " + missingFunction +
           ": install a current FTDI D2XX driver to use USB instruments.";
}

struct D2xxUsbBridge::Api {
    HMODULE module = nullptr;
    FT_STATUS(WINAPI* ListDevices)(PVOID, PVOID, DWORD) = nullptr;
    FT_STATUS(WINAPI* GetDeviceInfo)(FT_HANDLE, ULONG*, DWORD*, char*, char*, PVOID) = nullptr;
    FT_STATUS(WINAPI* OpenEx)(PVOID, DWORD, FT_HANDLE*) = nullptr;
    FT_STATUS(WINAPI* Close)(FT_HANDLE) = nullptr;
    FT_STATUS(WINAPI* Read)(FT_HANDLE, PVOID, DWORD, DWORD*) = nullptr;
    FT_STATUS(WINAPI* Write)(FT_HANDLE, PVOID, DWORD, DWORD*) = nullptr;
    FT_STATUS(WINAPI* SetBaudRate)(FT_HANDLE, ULONG) = nullptr;
    FT_STATUS(WINAPI* SetDataCharacteristics)(FT_HANDLE, UCHAR, UCHAR, UCHAR) = nullptr;
    FT_STATUS(WINAPI* SetFlowControl)(FT_HANDLE, USHORT, UCHAR, UCHAR) = nullptr;
    FT_STATUS(WINAPI* SetUSBParameters)(FT_HANDLE, ULONG, ULONG) = nullptr;
    FT_STATUS(WINAPI* SetLatencyTimer)(FT_HANDLE, UCHAR) = nullptr;
    FT_STATUS(WINAPI* SetTimeouts)(FT_HANDLE, ULONG, ULONG) = nullptr;
    FT_STATUS(WINAPI* SetResetPipeRetryCount)(FT_HANDLE, DWORD) = nullptr;
    FT_STATUS(WINAPI* ResetDevice)(FT_HANDLE) = nullptr;
    FT_STATUS(WINAPI* GetQueueStatus)(FT_HANDLE, DWORD*) = nullptr;
    FT_STATUS(WINAPI* EE_Read)(FT_HANDLE, FT_PROGRAM_DATA*) = nullptr;
    FT_STATUS(WINAPI* EE_Program)(FT_HANDLE, FT_PROGRAM_DATA*) = nullptr;

    // The name of the first function the DLL lacks; "" when it has them all.
    std::string resolve() {
        std::string missing;
        auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
                reinterpret_cast<void*>(GetProcAddress(module, name)));
            if (!fn && missing.empty()) missing = name;
        };
        get(ListDevices, "FT_ListDevices");
        get(GetDeviceInfo, "FT_GetDeviceInfo");
        get(OpenEx, "FT_OpenEx");
        get(Close, "FT_Close");
        get(Read, "FT_Read");
        get(Write, "FT_Write");
        get(SetBaudRate, "FT_SetBaudRate");
        get(SetDataCharacteristics, "FT_SetDataCharacteristics");
        get(SetFlowControl, "FT_SetFlowControl");
        get(SetUSBParameters, "FT_SetUSBParameters");
        get(SetLatencyTimer, "FT_SetLatencyTimer");
        get(SetTimeouts, "FT_SetTimeouts");
        get(SetResetPipeRetryCount, "FT_SetResetPipeRetryCount");
        get(ResetDevice, "FT_ResetDevice");
        get(GetQueueStatus, "FT_GetQueueStatus");
        get(EE_Read, "FT_EE_Read");
        get(EE_Program, "FT_EE_Program");
        return missing;
    }
};

D2xxUsbBridge::D2xxUsbBridge(std::string library, std::function<void(const std::string&)> report)
    : library_(std::move(library)), report_(std::move(report)) {}

D2xxUsbBridge::~D2xxUsbBridge() {
    if (!api_) return;
    for (auto& [h, device] : handles_) api_->Close(device);
    FreeLibrary(api_->module);
}

bool D2xxUsbBridge::load() {
    if (tried_) return api_ != nullptr;
    tried_ = true;
    auto api = std::make_unique<Api>();
    api->module = LoadLibraryA(library_.c_str());
    std::string missing;
    if (api->module) {
        missing = api->resolve();
        if (missing.empty()) {
            api_ = std::move(api);
            return true;
        }
        FreeLibrary(api->module);
    }
    if (report_) report_(d2xxMissingText(library_, missing));
    return false;
}

void* D2xxUsbBridge::device(FtHandle h) const {
    auto it = handles_.find(h);
    return it == handles_.end() ? nullptr : it->second;
}

FtStatus D2xxUsbBridge::ListDevices(std::uint32_t& count) {
    count = 0;
    if (!load()) return FtStatus::Ok;
    DWORD n = 0;
    const FT_STATUS s = api_->ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
    count = n;
    return status(s);
}

FtStatus D2xxUsbBridge::ListDevicesByIndex(std::uint32_t index, std::string& serialNumber) {
    serialNumber.clear();
    if (!load()) return FtStatus::DeviceNotFound;
    std::array<char, 64> text{};
    const FT_STATUS s =
        api_->ListDevices(reinterpret_cast<PVOID>(static_cast<std::uintptr_t>(index)), text.data(),
                          FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
    if (s == 0) serialNumber = text.data();
    return status(s);
}

FtStatus D2xxUsbBridge::GetDeviceInfo(FtHandle h, FtDeviceInfo& info) {
    void* d = device(h);
    if (!d) return FtStatus::InvalidHandle;
    ULONG type = 0;
    DWORD id = 0;
    std::array<char, 16> serial{};
    std::array<char, 64> description{};
    const FT_STATUS s =
        api_->GetDeviceInfo(d, &type, &id, serial.data(), description.data(), nullptr);
    if (s != 0) return status(s);
    info.type = static_cast<FtDeviceType>(type);
    info.id = id;
    info.serialNumber = std::string(serial.data(), strnlen(serial.data(), serial.size()));
    info.description =
        std::string(description.data(), strnlen(description.data(), description.size()));
    return FtStatus::Ok;
}

FtStatus D2xxUsbBridge::OpenEx(const std::string& serialNumber, FtHandle& h) {
    h = 0;
    if (!load()) return FtStatus::DeviceNotFound;
    // An empty serial number goes to the driver as 255 NUL characters.
    std::string text = serialNumber;
    if (text.empty()) text.assign(255, '\0');
    FT_HANDLE d = nullptr;
    const FT_STATUS s = api_->OpenEx(text.data(), FT_OPEN_BY_SERIAL_NUMBER, &d);
    if (s != 0 || !d) return s != 0 ? status(s) : FtStatus::DeviceNotOpened;
    h = next_++;
    handles_[h] = d;
    return FtStatus::Ok;
}

FtStatus D2xxUsbBridge::Close(FtHandle h) {
    void* d = device(h);
    if (!d) return FtStatus::InvalidHandle;
    handles_.erase(h);
    return status(api_->Close(d));
}

FtStatus D2xxUsbBridge::Read(FtHandle h, std::uint8_t* buffer, std::uint32_t count,
                             std::uint32_t& received) {
    received = 0;
    void* d = device(h);
    if (!d) return FtStatus::InvalidHandle;
    DWORD n = 0;
    const FT_STATUS s = api_->Read(d, buffer, count, &n);
    received = n;
    return status(s);
}

FtStatus D2xxUsbBridge::Write(FtHandle h, const std::uint8_t* data, std::uint32_t count,
                              std::uint32_t& written) {
    written = 0;
    void* d = device(h);
    if (!d) return FtStatus::InvalidHandle;
    DWORD n = 0;
    const FT_STATUS s = api_->Write(d, const_cast<std::uint8_t*>(data), count, &n);
    written = n;
    return status(s);
}

FtStatus D2xxUsbBridge::SetBaudRate(FtHandle h, std::uint32_t baud) {
    return call(h, api_ ? api_->SetBaudRate : nullptr, baud);
}

FtStatus D2xxUsbBridge::SetDataCharacteristics(FtHandle h, std::uint8_t bits, std::uint8_t stopBits,
                                               std::uint8_t parity) {
    void* d = device(h);
    return d ? status(api_->SetDataCharacteristics(d, bits, stopBits, parity))
             : FtStatus::InvalidHandle;
}

FtStatus D2xxUsbBridge::SetFlowControl(FtHandle h, std::uint16_t flow, std::uint8_t xon,
                                       std::uint8_t xoff) {
    return call(h, api_ ? api_->SetFlowControl : nullptr, flow, xon, xoff);
}

FtStatus D2xxUsbBridge::SetUSBParameters(FtHandle h, std::uint32_t inSize, std::uint32_t outSize) {
    return call(h, api_ ? api_->SetUSBParameters : nullptr, inSize, outSize);
}

FtStatus D2xxUsbBridge::SetLatencyTimer(FtHandle h, std::uint8_t ms) {
    return call(h, api_ ? api_->SetLatencyTimer : nullptr, ms);
}

FtStatus D2xxUsbBridge::SetTimeouts(FtHandle h, std::uint32_t readMs, std::uint32_t writeMs) {
    return call(h, api_ ? api_->SetTimeouts : nullptr, readMs, writeMs);
}

FtStatus D2xxUsbBridge::SetResetPipeRetryCount(FtHandle h, std::uint32_t count) {
    return call(h, api_ ? api_->SetResetPipeRetryCount : nullptr, count);
}

FtStatus D2xxUsbBridge::ResetDevice(FtHandle h) {
    return call(h, api_ ? api_->ResetDevice : nullptr);
}

FtStatus D2xxUsbBridge::GetQueueStatus(FtHandle h, std::uint32_t& waiting) {
    waiting = 0;
    void* d = device(h);
    if (!d) return FtStatus::InvalidHandle;
    DWORD n = 0;
    const FT_STATUS s = api_->GetQueueStatus(d, &n);
    waiting = n;
    return status(s);
}

FtStatus D2xxUsbBridge::EE_Read(FtHandle h, FtEepromData& data) {
    void* d = device(h);
    if (!d) return FtStatus::InvalidHandle;
    FT_PROGRAM_DATA r{};
    EepromTexts texts;
    texts.prepare(r, data.version);
    const FT_STATUS s = api_->EE_Read(d, &r);
    if (s != 0) return status(s);
    data.vendorId = r.VendorId;
    data.productId = r.ProductId;
    data.manufacturer = texts.manufacturer.data();
    data.manufacturerId = texts.manufacturerId.data();
    data.description = texts.description.data();
    data.serialNumber = texts.serialNumber.data();
    data.maxPower = r.MaxPower;
    data.plugAndPlay = r.PnP != 0;
    data.selfPowered = r.SelfPowered != 0;
    data.remoteWakeup = r.RemoteWakeup != 0;
    return FtStatus::Ok;
}

FtStatus D2xxUsbBridge::EE_Program(FtHandle h, const FtEepromData& data) {
    void* d = device(h);
    if (!d) return FtStatus::InvalidHandle;
    // The chip-specific fields are programmed as the chip holds them; a blank chip gets them
    // zeroed.
    FT_PROGRAM_DATA r{};
    EepromTexts current;
    current.prepare(r, data.version);
    if (api_->EE_Read(d, &r) != 0) r.chipFields.fill(0);
    EepromTexts texts;
    texts.attach(r);
    copyText(texts.manufacturer, data.manufacturer);
    copyText(texts.manufacturerId, data.manufacturerId);
    copyText(texts.description, data.description);
    copyText(texts.serialNumber, data.serialNumber);
    r.Signature1 = 0x00000000;
    r.Signature2 = 0xFFFFFFFF;
    r.Version = data.version;
    r.VendorId = data.vendorId;
    r.ProductId = data.productId;
    r.MaxPower = data.maxPower;
    r.PnP = data.plugAndPlay ? 1 : 0;
    r.SelfPowered = data.selfPowered ? 1 : 0;
    r.RemoteWakeup = data.remoteWakeup ? 1 : 0;
    return status(api_->EE_Program(d, &r));
}

}  // namespace platform::win
