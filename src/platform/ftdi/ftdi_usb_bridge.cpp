#include "platform/ftdi/ftdi_usb_bridge.h"

#include <utility>

#include <ftdi.h>

#include <chrono>
#include <deque>
#include <thread>

namespace platform::ftdi {

struct FtdiUsbBridge::Device {
    ftdi_context* ctx = nullptr;
    std::string serial;
    std::string description;
    std::deque<std::uint8_t> rx;
    std::uint32_t readTimeoutMs = 100;
    ~Device() {
        if (ctx) {
            ftdi_usb_close(ctx);
            ftdi_free(ctx);
        }
    }
};

namespace {
constexpr int kVendor = 0x0403;
}

FtdiUsbBridge::FtdiUsbBridge() = default;
FtdiUsbBridge::~FtdiUsbBridge() = default;

FtdiUsbBridge::Device* FtdiUsbBridge::find(FtHandle h) {
    auto it = devices_.find(h);
    return it == devices_.end() ? nullptr : it->second.get();
}

namespace {
// The serial numbers of the FTDI devices on the bus, in bus order.
FtStatus enumerate(std::vector<std::string>& serials) {
    serials.clear();
    ftdi_context* ctx = ftdi_new();
    if (!ctx) return FtStatus::InsufficientResources;
    ftdi_device_list* list = nullptr;
    int n = ftdi_usb_find_all(ctx, &list, 0, 0);
    if (n < 0) {
        ftdi_free(ctx);
        return FtStatus::IoError;
    }
    for (ftdi_device_list* d = list; d; d = d->next) {
        char serial[128] = {0};
        if (ftdi_usb_get_strings(ctx, d->dev, nullptr, 0, nullptr, 0, serial, sizeof serial) < 0)
            serial[0] = 0;
        serials.emplace_back(serial);
    }
    ftdi_list_free(&list);
    ftdi_free(ctx);
    return FtStatus::Ok;
}
}  // namespace

FtStatus FtdiUsbBridge::ListDevices(std::uint32_t& count) {
    std::vector<std::string> serials;
    FtStatus s = enumerate(serials);
    count = static_cast<std::uint32_t>(serials.size());
    return s;
}

FtStatus FtdiUsbBridge::ListDevicesByIndex(std::uint32_t index, std::string& serialNumber) {
    std::vector<std::string> serials;
    FtStatus s = enumerate(serials);
    if (s != FtStatus::Ok) return s;
    if (index >= serials.size()) return FtStatus::InvalidHandle;
    serialNumber = serials[index];
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::GetDeviceInfo(FtHandle h, FtDeviceInfo& info) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    info.serialNumber = d->serial;
    info.description = d->description;
    switch (d->ctx->type) {
        case TYPE_AM:
            info.type = FtDeviceType::AM;
            break;
        case TYPE_BM:
            info.type = FtDeviceType::BM;
            break;
        case TYPE_R:
            info.type = FtDeviceType::R;
            break;
        case TYPE_232H:
            info.type = FtDeviceType::X232H;
            break;
        default:
            info.type = FtDeviceType::Unknown;
            break;
    }
    info.id = (static_cast<std::uint32_t>(kVendor) << 16) | 0x6001;
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::OpenEx(const std::string& serialNumber, FtHandle& h) {
    h = 0;
    auto dev = std::make_unique<Device>();
    dev->ctx = ftdi_new();
    if (!dev->ctx) return FtStatus::InsufficientResources;
    // An empty serial number opens the first FTDI device, as the vendor's library does with a
    // blank serial.
    const char* serial = serialNumber.empty() ? nullptr : serialNumber.c_str();
    static constexpr int kProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
    int rc = -1;
    for (int product : kProducts) {
        rc = ftdi_usb_open_desc(dev->ctx, kVendor, product, nullptr, serial);
        if (rc == 0) break;
    }
    if (rc != 0) return rc == -3 ? FtStatus::DeviceNotFound : FtStatus::DeviceNotOpened;
    dev->serial = serialNumber;
    h = next_++;
    devices_[h] = std::move(dev);
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::Close(FtHandle h) {
    return devices_.erase(h) ? FtStatus::Ok : FtStatus::InvalidHandle;
}

bool FtdiUsbBridge::fill(Device& d) {
    std::uint8_t chunk[4096];
    int n = ftdi_read_data(d.ctx, chunk, sizeof chunk);
    if (n < 0) return false;
    d.rx.insert(d.rx.end(), chunk, chunk + n);
    return true;
}

FtStatus FtdiUsbBridge::Read(FtHandle h, std::uint8_t* buffer, std::uint32_t count,
                             std::uint32_t& received) {
    received = 0;
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(d->readTimeoutMs);
    while (true) {
        while (received < count && !d->rx.empty()) {
            buffer[received++] = d->rx.front();
            d->rx.pop_front();
        }
        if (received == count || std::chrono::steady_clock::now() >= deadline) break;
        if (!fill(*d)) return FtStatus::IoError;
        if (d->rx.empty()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::Write(FtHandle h, const std::uint8_t* data, std::uint32_t count,
                              std::uint32_t& written) {
    written = 0;
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    int n = ftdi_write_data(d->ctx, data, static_cast<int>(count));
    if (n < 0) return FtStatus::IoError;
    written = static_cast<std::uint32_t>(n);
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::SetBaudRate(FtHandle h, std::uint32_t baud) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    return ftdi_set_baudrate(d->ctx, static_cast<int>(baud)) == 0 ? FtStatus::Ok
                                                                  : FtStatus::InvalidBaudRate;
}

FtStatus FtdiUsbBridge::SetDataCharacteristics(FtHandle h, std::uint8_t bits, std::uint8_t stopBits,
                                               std::uint8_t parity) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    auto b = bits == 7 ? BITS_7 : BITS_8;
    auto s = stopBits == 2 ? STOP_BIT_2 : stopBits == 1 ? STOP_BIT_15 : STOP_BIT_1;
    auto p = static_cast<ftdi_parity_type>(parity);
    return ftdi_set_line_property(d->ctx, b, s, p) == 0 ? FtStatus::Ok : FtStatus::IoError;
}

FtStatus FtdiUsbBridge::SetFlowControl(FtHandle h, std::uint16_t flow, std::uint8_t, std::uint8_t) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    return ftdi_setflowctrl(d->ctx, flow) == 0 ? FtStatus::Ok : FtStatus::IoError;
}

FtStatus FtdiUsbBridge::SetUSBParameters(FtHandle h, std::uint32_t inSize, std::uint32_t outSize) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    bool ok = ftdi_read_data_set_chunksize(d->ctx, inSize) == 0 &&
              ftdi_write_data_set_chunksize(d->ctx, outSize) == 0;
    return ok ? FtStatus::Ok : FtStatus::IoError;
}

FtStatus FtdiUsbBridge::SetLatencyTimer(FtHandle h, std::uint8_t ms) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    return ftdi_set_latency_timer(d->ctx, ms) == 0 ? FtStatus::Ok : FtStatus::IoError;
}

FtStatus FtdiUsbBridge::SetTimeouts(FtHandle h, std::uint32_t readMs, std::uint32_t writeMs) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    d->readTimeoutMs = readMs;
    d->ctx->usb_write_timeout = static_cast<int>(writeMs);
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::SetResetPipeRetryCount(FtHandle h, std::uint32_t) {
    // libusb retries on its own; the setting has no counterpart and is accepted as is.
    return find(h) ? FtStatus::Ok : FtStatus::InvalidHandle;
}

FtStatus FtdiUsbBridge::ResetDevice(FtHandle h) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    d->rx.clear();
    return ftdi_usb_reset(d->ctx) == 0 ? FtStatus::Ok : FtStatus::IoError;
}

FtStatus FtdiUsbBridge::GetQueueStatus(FtHandle h, std::uint32_t& waiting) {
    waiting = 0;
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    if (!fill(*d)) return FtStatus::IoError;
    waiting = static_cast<std::uint32_t>(d->rx.size());
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::EE_Read(FtHandle h, FtEepromData& data) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    if (ftdi_read_eeprom(d->ctx) < 0) return FtStatus::EepromReadFailed;
    // libftdi reports no status for a blank EEPROM: look at the raw words.
    unsigned char raw[256] = {0};
    if (ftdi_get_eeprom_buf(d->ctx, raw, sizeof raw) == 0) {
        bool blank = true;
        for (int i = 0; i < 128 && blank; ++i) blank = raw[i] == 0xFF;
        if (blank) return FtStatus::EepromNotProgrammed;
    }
    if (ftdi_eeprom_decode(d->ctx, 0) < 0) return FtStatus::EepromReadFailed;
    char manufacturer[128] = {0}, product[128] = {0}, serial[128] = {0};
    ftdi_eeprom_get_strings(d->ctx, manufacturer, sizeof manufacturer, product, sizeof product,
                            serial, sizeof serial);
    int value = 0;
    if (ftdi_get_eeprom_value(d->ctx, VENDOR_ID, &value) == 0)
        data.vendorId = static_cast<std::uint16_t>(value);
    if (ftdi_get_eeprom_value(d->ctx, PRODUCT_ID, &value) == 0)
        data.productId = static_cast<std::uint16_t>(value);
    if (ftdi_get_eeprom_value(d->ctx, MAX_POWER, &value) == 0)
        data.maxPower = static_cast<std::uint16_t>(value);
    if (ftdi_get_eeprom_value(d->ctx, SELF_POWERED, &value) == 0) data.selfPowered = value != 0;
    if (ftdi_get_eeprom_value(d->ctx, REMOTE_WAKEUP, &value) == 0) data.remoteWakeup = value != 0;
    if (ftdi_get_eeprom_value(d->ctx, IS_NOT_PNP, &value) == 0) data.plugAndPlay = value == 0;
    data.manufacturer = manufacturer;
    data.description = product;
    data.serialNumber = serial;
    return FtStatus::Ok;
}

FtStatus FtdiUsbBridge::EE_Program(FtHandle h, const FtEepromData& data) {
    Device* d = find(h);
    if (!d) return FtStatus::InvalidHandle;
    // Start from what the chip holds, so that its other fields stay as read; a blank or
    // unreadable EEPROM starts from libftdi's defaults for the chip.
    bool decoded = ftdi_read_eeprom(d->ctx) == 0;
    if (decoded) {
        unsigned char raw[256] = {0};
        bool blank = ftdi_get_eeprom_buf(d->ctx, raw, sizeof raw) == 0;
        for (int i = 0; i < 128 && blank; ++i) blank = raw[i] == 0xFF;
        decoded = !blank && ftdi_eeprom_decode(d->ctx, 0) == 0;
    }
    if (!decoded && ftdi_eeprom_initdefaults(d->ctx, nullptr, nullptr, nullptr) < 0)
        return FtStatus::EepromWriteFailed;
    if (ftdi_eeprom_set_strings(d->ctx, data.manufacturer.c_str(), data.description.c_str(),
                                data.serialNumber.c_str()) < 0)
        return FtStatus::EepromWriteFailed;
    const std::pair<ftdi_eeprom_value, int> values[] = {
        {VENDOR_ID, data.vendorId},
        {PRODUCT_ID, data.productId},
        {MAX_POWER, data.maxPower},
        {SELF_POWERED, data.selfPowered ? 1 : 0},
        {REMOTE_WAKEUP, data.remoteWakeup ? 1 : 0},
        {IS_NOT_PNP, data.plugAndPlay ? 0 : 1},
    };
    for (const auto& [name, value] : values)
        if (ftdi_set_eeprom_value(d->ctx, name, value) < 0 && name != IS_NOT_PNP)
            return FtStatus::EepromWriteFailed;
    if (ftdi_eeprom_build(d->ctx) < 0 || ftdi_write_eeprom(d->ctx) < 0)
        return FtStatus::EepromWriteFailed;
    return FtStatus::Ok;
}

}  // namespace platform::ftdi
