#include "platform/win/win_serial_port.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace platform::win {
namespace {

constexpr DWORD kBufferSize = 16384;
constexpr DWORD kWriteTimeoutMs = 1000;
constexpr int kHighestPort = 128;
constexpr std::size_t kMostPorts = 100;

// waitMs 0: ReadFile returns at once with what the driver holds. Otherwise it waits up to waitMs
// for a read of one byte, which ends at the first byte that arrives.
void setReadWait(HANDLE h, DWORD waitMs) {
    COMMTIMEOUTS t{};
    if (waitMs == 0)
        t.ReadIntervalTimeout = MAXDWORD;
    else
        t.ReadTotalTimeoutConstant = waitMs;
    t.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    t.WriteTotalTimeoutMultiplier = 1;
    SetCommTimeouts(h, &t);
}

}  // namespace

std::string devicePath(const std::string& location) {
    if (location.rfind("\\\\.\\", 0) == 0) return location;
    if (location.size() > 3 &&
        (location.compare(0, 3, "COM") == 0 || location.compare(0, 3, "com") == 0))
        return "\\\\.\\" + location;
    return location;
}

WinSerialPort::~WinSerialPort() {
    close();
}

bool WinSerialPort::open(const std::string& location) {
    close();
    HANDLE h = CreateFileA(devicePath(location).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = h;
    // Configuration errors are ignored on purpose: the next exchange with the instrument
    // decides whether the port works.
    SetupComm(h, kBufferSize, kBufferSize);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(h, &dcb);
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    SetCommState(h, &dcb);
    setReadWait(h, 0);
    buffer_.clear();
    return true;
}

void WinSerialPort::close() {
    if (!handle_) return;
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    buffer_.clear();
}

std::size_t WinSerialPort::readDriver(unsigned long waitMs) {
    HANDLE h = static_cast<HANDLE>(handle_);
    setReadWait(h, waitMs);
    std::array<std::uint8_t, 4096> chunk{};
    const DWORD wanted = waitMs == 0 ? static_cast<DWORD>(chunk.size()) : 1;
    DWORD got = 0;
    if (!ReadFile(h, chunk.data(), wanted, &got, nullptr)) {
        DWORD errors = 0;
        ClearCommError(h, &errors, nullptr);
        return 0;
    }
    buffer_.insert(buffer_.end(), chunk.begin(), chunk.begin() + got);
    return got;
}

std::size_t WinSerialPort::collect() {
    std::size_t moved = 0;
    while (const std::size_t n = readDriver(0)) moved += n;
    return moved;
}

std::size_t WinSerialPort::bytesAvailable() {
    if (!handle_) return 0;
    collect();
    return buffer_.size();
}

Bytes WinSerialPort::read(std::size_t max) {
    if (!handle_) return {};
    if (buffer_.size() < max) collect();
    const std::size_t n = std::min(max, buffer_.size());
    Bytes out(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
    return out;
}

bool WinSerialPort::write(ByteSpan bytes) {
    if (!handle_) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!WriteFile(static_cast<HANDLE>(handle_), bytes.data() + done,
                       static_cast<DWORD>(bytes.size() - done), &n, nullptr) ||
            n == 0)
            return false;
        done += n;
    }
    return true;
}

bool WinSerialPort::waitForReadyRead(std::chrono::milliseconds timeout) {
    if (!handle_) return false;
    if (collect() > 0) return true;
    const auto ms = static_cast<DWORD>(std::clamp<long long>(timeout.count(), 1, MAXDWORD - 1));
    if (readDriver(ms) == 0) return false;
    collect();
    return true;
}

void WinSerialPort::discardInput() {
    if (!handle_) return;
    PurgeComm(static_cast<HANDLE>(handle_), PURGE_RXCLEAR);
    buffer_.clear();
}

std::vector<SerialPortInfo> WinSerialPortEnumerator::ports() {
    std::vector<SerialPortInfo> out;
    for (int n = 1; n <= kHighestPort && out.size() < kMostPorts; ++n) {
        const std::string name = "COM" + std::to_string(n);
        COMMCONFIG config{};
        DWORD size = sizeof config;
        if (!GetDefaultCommConfigA(name.c_str(), &config, &size)) continue;
        SerialPortInfo info;
        info.name = name;
        info.location = name;
        info.description = "Communication port";
        info.number = n;
        out.push_back(info);
    }
    return out;
}

}  // namespace platform::win
