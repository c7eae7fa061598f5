#pragma once
#include <memory>

#include "platform/serial_port.h"

class QSerialPort;

namespace platform::qt {

// QSerialPort behind the SerialPort interface. It works without an event loop: new input is
// fetched from the driver with waitForReadyRead (a zero wait whenever the input is looked at)
// and every write is pushed out with waitForBytesWritten.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    bool open(const std::string& location) override;
    bool isOpen() const override;
    void close() override;
    std::size_t bytesAvailable() override;
    Bytes read(std::size_t max) override;
    bool write(ByteSpan bytes) override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    void discardInput() override;

private:
    void collect();
    std::unique_ptr<QSerialPort> port_;
};

class QtSerialPortEnumerator final : public SerialPortEnumerator {
public:
    std::vector<SerialPortInfo> ports() override;
};

}  // namespace platform::qt
