#pragma once
// The text that names one instrument: "USB: <serial>", "COM: <n>" (or "COM: /dev/...") and
// "IP: <host>:<port>". The one place where such a text is taken apart.
#include <cstdint>
#include <string>

namespace krnlink {

struct InstrumentDescription {
    enum class Kind { Invalid, Usb, SerialNumber, SerialPath, Ethernet };
    Kind kind = Kind::Invalid;
    std::string serialNumber;  // Usb
    int portNumber = 0;        // SerialNumber; below 1 never opens
    std::string path;          // SerialPath
    std::string host;          // Ethernet
    std::int32_t port = 0;     // Ethernet

    // The markers are looked for anywhere in the text, ignoring case, in the order USB, COM,
    // IP; the value is the text after the first 4 (USB, COM) or 3 (IP) characters. An "IP:"
    // text without ":" between host and port is Invalid.
    static InstrumentDescription parse(const std::string& text);

    // Whether the description names something that can be opened at all: a USB serial, a port
    // number from 1, a device path, a host with a port 1..65535. What fails here would only fail
    // at the open, as a communication error.
    bool usable() const;
};

// Leading value of a text read as a decimal number, the way a technician's "COM: 3" is read:
// leading blanks skipped, digits taken up to the first other character, 0 when there are none.
std::int64_t leadingNumber(const std::string& text);

std::string trim(const std::string& s);
std::string trimLeft(const std::string& s);

}  // namespace krnlink
