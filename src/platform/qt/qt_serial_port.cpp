#include "platform/qt/qt_serial_port.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

namespace platform::qt {

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()) {}
QtSerialPort::~QtSerialPort() = default;

bool QtSerialPort::open(const std::string& location) {
    if (port_->isOpen()) port_->close();
    port_->setPortName(QString::fromStdString(location));
    if (!port_->open(QIODevice::ReadWrite)) return false;
    // Configuration errors are ignored on purpose: a pseudo-terminal refuses DTR, and the next
    // exchange with the instrument decides whether the port works.
    port_->setBaudRate(QSerialPort::Baud115200);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    port_->setReadBufferSize(0);
    port_->setDataTerminalReady(true);
    port_->clearError();
    return true;
}

bool QtSerialPort::isOpen() const {
    return port_->isOpen();
}

void QtSerialPort::close() {
    if (port_->isOpen()) port_->close();
}

void QtSerialPort::collect() {
    // Input reaches QSerialPort's buffer only inside waitForReadyRead; a zero wait moves what
    // the driver holds into it without blocking, whatever the buffer holds already.
    port_->waitForReadyRead(0);
}

std::size_t QtSerialPort::bytesAvailable() {
    if (!port_->isOpen()) return 0;
    collect();
    return static_cast<std::size_t>(port_->bytesAvailable());
}

Bytes QtSerialPort::read(std::size_t max) {
    if (!port_->isOpen()) return {};
    if (static_cast<std::size_t>(port_->bytesAvailable()) < max) collect();
    QByteArray data = port_->read(static_cast<qint64>(max));
    return Bytes(data.begin(), data.end());
}

bool QtSerialPort::write(ByteSpan bytes) {
    if (!port_->isOpen()) return false;
    qint64 n = port_->write(reinterpret_cast<const char*>(bytes.data()),
                            static_cast<qint64>(bytes.size()));
    if (n != static_cast<qint64>(bytes.size())) return false;
    while (port_->bytesToWrite() > 0)
        if (!port_->waitForBytesWritten(1000)) return false;
    return true;
}

bool QtSerialPort::waitForReadyRead(std::chrono::milliseconds timeout) {
    if (!port_->isOpen()) return false;
    // Blocks in the driver until bytes arrive that are not in the buffer yet; input that is
    // there unread does not end the wait, so a wait for more input never spins.
    return port_->waitForReadyRead(static_cast<int>(timeout.count()));
}

void QtSerialPort::discardInput() {
    if (!port_->isOpen()) return;
    // The driver's input is flushed, then what the buffer holds is dropped.
    port_->clear(QSerialPort::Input);
    port_->readAll();
}

std::vector<SerialPortInfo> QtSerialPortEnumerator::ports() {
    std::vector<SerialPortInfo> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        out.push_back({info.portName().toStdString(), info.systemLocation().toStdString(),
                       info.description().toStdString(), info.manufacturer().toStdString(),
                       info.serialNumber().toStdString()});
    }
    std::sort(out.begin(), out.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return a.location < b.location;
    });
    return out;
}

}  // namespace platform::qt
