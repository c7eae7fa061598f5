// The USB channel's exchange: write mode, timed reads and the recovery between attempts.
#include "link/frame_link.h"
#include "link/zenko_usb.h"

namespace krnlink {

UsbWriteMode usbWriteMode(const InstrumentFlags& f) {
    if (f.Estensioni == 0) return UsbWriteMode::PerByte;
    if (f.Estensioni >= 1060) return UsbWriteMode::Block;
    if (f.UpdateMode && f.Estensioni < 32) return UsbWriteMode::PerByte;
    if (!f.TastatoreCollegato) return UsbWriteMode::Block;
    if (f.UpdateMode) return UsbWriteMode::Block;
    if (f.PressaBloccata) return UsbWriteMode::Paced;
    return UsbWriteMode::PerByte;
}

namespace {
// Empty loop passes between the bytes of a paced write; the instrument's firmware needs the gap.
void pacingDelay(std::int32_t passes) {
    static volatile std::int32_t sink = 0;
    for (std::int32_t k = 0; k < passes; ++k) sink = sink + 1;
}
}  // namespace

bool FrameLink::usbWriteAll(const std::uint8_t* data, std::uint32_t count) {
    std::uint32_t written = 0;
    return usb_->Write(usbHandle_, data, count, written) == platform::FtStatus::Ok &&
           written == count;
}

bool FrameLink::usbTimedRead(std::uint8_t* out, std::uint32_t count) {
    std::uint32_t got = 0;
    if (usb_->Read(usbHandle_, out, count, got) != platform::FtStatus::Ok) return false;
    const platform::TimePoint firstPartial = clock_.now();
    while (got < count) {
        if (clock_.now() - firstPartial > kByteWait) return false;
        std::uint32_t more = 0;
        if (usb_->Read(usbHandle_, out + got, count - got, more) != platform::FtStatus::Ok)
            return false;
        got += more;
    }
    return true;
}

bool FrameLink::usbAttempt() {
    const std::uint32_t requestBytes = BufferTx[0] + 1u;
    const UsbWriteMode mode = usbWriteMode(flags);
    std::uint8_t len = 0;
    if (mode == UsbWriteMode::PerByte) {
        for (std::uint32_t i = 0; i < requestBytes; ++i)
            if (!InviaByte(BufferTx[i], true)) return false;
        if (!usbTimedRead(&len, 1)) return false;
    } else {
        if (mode == UsbWriteMode::Block) {
            if (!usbWriteAll(BufferTx.data(), requestBytes)) return false;
        } else {
            for (std::uint32_t i = 0; i < requestBytes; ++i) {
                if (i > 0) pacingDelay(CostanteRitardoUSB / 100000);
                if (!usbWriteAll(&BufferTx[i], 1)) return false;
            }
        }
        std::array<std::uint8_t, 52> echo{};
        if (!usbTimedRead(echo.data(), requestBytes + 1)) return false;
        if (!std::equal(echo.begin(), echo.begin() + requestBytes, BufferTx.begin())) return false;
        len = echo[requestBytes];
    }
    if (len < 1 || len > 50) return false;
    BufferRx[0] = len;
    if (!usbTimedRead(BufferRx.data() + 1, len)) return false;
    if (!checksumOk(len)) return false;
    BufferRx[0] = static_cast<std::uint8_t>(len - 1);
    return true;
}

bool FrameLink::exchangeUsb(bool senzaRitentativi) {
    for (int attempt = 1; attempt <= 2; ++attempt) {
        if (usbAttempt()) return true;
        if (senzaRitentativi || attempt == 2) return false;
        RiapriUSB();
    }
    return false;
}

bool FrameLink::reopenUsbDevice() {
    if (usb_->ResetDevice(usbHandle_) == platform::FtStatus::Ok) return true;
    usb_->Close(usbHandle_);
    usbHandle_ = ApriUSBPerNumeroSerie(*usb_, usbSerial_);
    return usbHandle_ != 0 && usb_->SetBaudRate(usbHandle_, 115200) == platform::FtStatus::Ok;
}

bool FrameLink::RiapriUSB() {
    if (onNoise) onNoise();
    // The device may be gone; the remaining attempts then fail on their own.
    if (!reopenUsbDevice() && usbHandle_ == 0) return true;
    InviaByte(0, false);
    if (Risincronizza()) return true;
    if (!reopenUsbDevice() && usbHandle_ == 0) return true;
    Risincronizza();
    return true;
}

}  // namespace krnlink
