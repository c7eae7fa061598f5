#pragma once
// Serial ports through the Win32 communications API: "COM" + number, 115200 8N1, no handshake,
// DTR on. Waits block in ReadFile with the port's own timeouts, never in a loop.
#include <vector>

#include "platform/serial_port.h"

namespace platform::win {

class WinSerialPort final : public SerialPort {
public:
    WinSerialPort() = default;
    ~WinSerialPort() override;
    WinSerialPort(const WinSerialPort&) = delete;
    WinSerialPort& operator=(const WinSerialPort&) = delete;

    // "COM3", "COM12" or a device path ("\\.\COM12"); the "\\.\" prefix is added when missing,
    // so that ports above 9 open too.
    bool open(const std::string& location) override;
    bool isOpen() const override { return handle_ != nullptr; }
    void close() override;
    std::size_t bytesAvailable() override;
    Bytes read(std::size_t max) override;
    bool write(ByteSpan bytes) override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    void discardInput() override;

private:
    // Moves what the driver holds into the buffer without waiting; the bytes moved.
    std::size_t collect();
    // One ReadFile that returns at the first byte or after waitMs (0: at once).
    std::size_t readDriver(unsigned long waitMs);

    void* handle_ = nullptr;  // HANDLE; nullptr when closed
    Bytes buffer_;
};

// The ports the system has a default configuration for, COM1 to COM128, at most 100; each
// carries its COM number.
class WinSerialPortEnumerator final : public SerialPortEnumerator {
public:
    std::vector<SerialPortInfo> ports() override;
};

// "\\.\COM12" for "COM12"; other names as they are.
std::string devicePath(const std::string& location);

}  // namespace platform::win
