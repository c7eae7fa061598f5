// A stand-in for FTD2XX.DLL on top of the simulator, for the Wine tests of krnctl.exe's D2XX
// adapter: one FTDI bridge, serial number "QX3SIM0002", with a simulated instrument of profile
// p36e51 behind it, answering in real time. Built only by the Windows cross build.
#include <cstring>

#include "platform/win/d2xx_api.h"
#include "sim/profiles.h"
#include "sim/sim_usb_bridge.h"

namespace {

using namespace platform::win::d2xx;

struct Simulated {
    platform::SystemClock clock;
    sim::SimInstrument instrument{*sim::findProfile("p36e51")};
    sim::SimUsbBridge bridge{clock};
    Simulated() {
        sim::SimUsbDevice d;
        d.serialNumber = "QX3SIM0002";
        d.description = "KRN Visual (D2XX stand-in)";
        d.instrument = &instrument;
        d.eeprom.serialNumber = d.serialNumber;
        d.eeprom.description = d.description;
        d.eeprom.manufacturer = "KRN";
        bridge.addDevice(d);
    }
};

Simulated& simulated() {
    static Simulated s;
    return s;
}

platform::FtHandle handle(FT_HANDLE h) {
    return static_cast<platform::FtHandle>(reinterpret_cast<std::uintptr_t>(h));
}

FT_STATUS result(platform::FtStatus s) {
    return static_cast<FT_STATUS>(s);
}

void copyText(char* to, std::size_t size, const std::string& from) {
    if (!to) return;
    std::memset(to, 0, size);
    std::memcpy(to, from.data(), std::min(from.size(), size - 1));
}

}  // namespace

#define KRN_EXPORT extern "C" __declspec(dllexport) FT_STATUS WINAPI

KRN_EXPORT FT_ListDevices(PVOID arg1, PVOID arg2, DWORD flags) {
    auto& b = simulated().bridge;
    if (flags & FT_LIST_NUMBER_ONLY) {
        std::uint32_t n = 0;
        const auto s = b.ListDevices(n);
        *static_cast<DWORD*>(arg1) = n;
        return result(s);
    }
    std::string serial;
    const auto s = b.ListDevicesByIndex(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(arg1)), serial);
    copyText(static_cast<char*>(arg2), 64, serial);
    return result(s);
}

KRN_EXPORT FT_GetDeviceInfo(FT_HANDLE h, ULONG* type, DWORD* id, char* serial, char* description,
                            PVOID) {
    platform::FtDeviceInfo info;
    const auto s = simulated().bridge.GetDeviceInfo(handle(h), info);
    *type = static_cast<ULONG>(info.type);
    *id = info.id;
    copyText(serial, 16, info.serialNumber);
    copyText(description, 64, info.description);
    return result(s);
}

KRN_EXPORT FT_OpenEx(PVOID serial, DWORD, FT_HANDLE* h) {
    platform::FtHandle opened = 0;
    const auto s = simulated().bridge.OpenEx(static_cast<const char*>(serial), opened);
    *h = reinterpret_cast<FT_HANDLE>(static_cast<std::uintptr_t>(opened));
    return result(s);
}

KRN_EXPORT FT_Close(FT_HANDLE h) {
    return result(simulated().bridge.Close(handle(h)));
}

KRN_EXPORT FT_Read(FT_HANDLE h, PVOID buffer, DWORD count, DWORD* received) {
    std::uint32_t n = 0;
    const auto s = simulated().bridge.Read(handle(h), static_cast<std::uint8_t*>(buffer), count, n);
    *received = n;
    return result(s);
}

KRN_EXPORT FT_Write(FT_HANDLE h, PVOID data, DWORD count, DWORD* written) {
    std::uint32_t n = 0;
    const auto s =
        simulated().bridge.Write(handle(h), static_cast<const std::uint8_t*>(data), count, n);
    *written = n;
    return result(s);
}

KRN_EXPORT FT_SetBaudRate(FT_HANDLE h, ULONG baud) {
    return result(simulated().bridge.SetBaudRate(handle(h), baud));
}

KRN_EXPORT FT_SetDataCharacteristics(FT_HANDLE h, UCHAR bits, UCHAR stopBits, UCHAR parity) {
    return result(simulated().bridge.SetDataCharacteristics(handle(h), bits, stopBits, parity));
}

KRN_EXPORT FT_SetFlowControl(FT_HANDLE h, USHORT flow, UCHAR xon, UCHAR xoff) {
    return result(simulated().bridge.SetFlowControl(handle(h), flow, xon, xoff));
}

KRN_EXPORT FT_SetUSBParameters(FT_HANDLE h, ULONG in, ULONG out) {
    return result(simulated().bridge.SetUSBParameters(handle(h), in, out));
}

KRN_EXPORT FT_SetLatencyTimer(FT_HANDLE h, UCHAR ms) {
    return result(simulated().bridge.SetLatencyTimer(handle(h), ms));
}

KRN_EXPORT FT_SetTimeouts(FT_HANDLE h, ULONG readMs, ULONG writeMs) {
    return result(simulated().bridge.SetTimeouts(handle(h), readMs, writeMs));
}

KRN_EXPORT FT_SetResetPipeRetryCount(FT_HANDLE h, DWORD count) {
    return result(simulated().bridge.SetResetPipeRetryCount(handle(h), count));
}

KRN_EXPORT FT_ResetDevice(FT_HANDLE h) {
    return result(simulated().bridge.ResetDevice(handle(h)));
}

KRN_EXPORT FT_GetQueueStatus(FT_HANDLE h, DWORD* waiting) {
    std::uint32_t n = 0;
    const auto s = simulated().bridge.GetQueueStatus(handle(h), n);
    *waiting = n;
    return result(s);
}

KRN_EXPORT FT_EE_Read(FT_HANDLE h, FT_PROGRAM_DATA* r) {
    platform::FtEepromData e;
    e.version = r->Version;
    const auto s = simulated().bridge.EE_Read(handle(h), e);
    r->VendorId = e.vendorId;
    r->ProductId = e.productId;
    copyText(r->Manufacturer, 32, e.manufacturer);
    copyText(r->ManufacturerId, 16, e.manufacturerId);
    copyText(r->Description, 64, e.description);
    copyText(r->SerialNumber, 16, e.serialNumber);
    r->MaxPower = e.maxPower;
    r->PnP = e.plugAndPlay;
    r->SelfPowered = e.selfPowered;
    r->RemoteWakeup = e.remoteWakeup;
    return result(s);
}

KRN_EXPORT FT_EE_Program(FT_HANDLE h, FT_PROGRAM_DATA* r) {
    platform::FtEepromData e;
    e.version = r->Version;
    e.signature1 = r->Signature1;
    e.signature2 = r->Signature2;
    e.vendorId = r->VendorId;
    e.productId = r->ProductId;
    e.manufacturer = r->Manufacturer;
    e.manufacturerId = r->ManufacturerId;
    e.description = r->Description;
    e.serialNumber = r->SerialNumber;
    e.maxPower = r->MaxPower;
    e.plugAndPlay = r->PnP != 0;
    e.selfPowered = r->SelfPowered != 0;
    e.remoteWakeup = r->RemoteWakeup != 0;
    return result(simulated().bridge.EE_Program(handle(h), e));
}
