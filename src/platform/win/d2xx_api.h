#pragma once
// The FTDI D2XX driver's calls as FTD2XX.DLL exports them: the types, flags and the EEPROM record
// the adapter (d2xx_usb_bridge) and the test stand-in for the DLL share.
#include <windows.h>

#include <array>

namespace platform::win::d2xx {

using FT_HANDLE = void*;
using FT_STATUS = ULONG;
constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000;
constexpr DWORD FT_LIST_BY_INDEX = 0x40000000;
constexpr DWORD FT_OPEN_BY_SERIAL_NUMBER = 1;

// The EEPROM record: the header and the user-visible fields, then room for the chip-specific
// fields that later versions of the record carry (kept as read, so programming changes only
// the fields named here).
struct FT_PROGRAM_DATA {
    DWORD Signature1;
    DWORD Signature2;
    DWORD Version;
    WORD VendorId;
    WORD ProductId;
    char* Manufacturer;
    char* ManufacturerId;
    char* Description;
    char* SerialNumber;
    WORD MaxPower;
    WORD PnP;
    WORD SelfPowered;
    WORD RemoteWakeup;
    std::array<unsigned char, 512> chipFields;
};

}  // namespace platform::win::d2xx
