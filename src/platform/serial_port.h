#pragma once
// The serial port as the link needs it: 115200 baud, 8 data bits, no parity, one stop bit,
// no handshake, DTR on, binary input.
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace platform {

struct SerialPortInfo {
    std::string name;      // "ttyUSB0", "COM3"
    std::string location;  // what open() takes: "/dev/ttyUSB0", "COM3"
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
    // The system's own number of the port where it has one ("COM3" is 3 on Windows), which
    // "COM: n" then names; 0 where ports are only counted in the list's order.
    int number = 0;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens the device at the link's fixed settings. Errors while configuring are ignored (the
    // next exchange decides); the result says whether the device is open.
    virtual bool open(const std::string& location) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Every byte that has arrived and is not read yet.
    virtual std::size_t bytesAvailable() = 0;
    // Takes up to max bytes that have arrived.
    virtual Bytes read(std::size_t max) = 0;
    // Sends all bytes; false when the port took fewer.
    virtual bool write(ByteSpan bytes) = 0;
    // Blocks until new input arrives or the time is up, without spinning; true when it arrived.
    // Input that is there unread already does not end the wait.
    virtual bool waitForReadyRead(std::chrono::milliseconds timeout) = 0;
    // Drops every byte received so far.
    virtual void discardInput() = 0;
};

class SerialPortEnumerator {
public:
    virtual ~SerialPortEnumerator() = default;
    virtual std::vector<SerialPortInfo> ports() = 0;
};

// "COM: n" means the port numbered n by the system where ports carry numbers, otherwise the n-th
// port of the enumerated list (counted from 1). Empty when there is no such port; numbers below 1
// never name a port.
std::string serialLocationForNumber(SerialPortEnumerator& ports, int number);

}  // namespace platform
