#include "link/instrument_description.h"

#include <algorithm>
#include <cctype>

namespace krnlink {
namespace {

bool containsIgnoringCase(const std::string& text, const std::string& marker) {
    auto it =
        std::search(text.begin(), text.end(), marker.begin(), marker.end(), [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) ==
                   std::toupper(static_cast<unsigned char>(b));
        });
    return it != text.end();
}

std::string after(const std::string& text, std::size_t n) {
    return text.size() > n ? text.substr(n) : std::string();
}

}  // namespace

std::string trimLeft(const std::string& s) {
    std::size_t i = s.find_first_not_of(" \t");
    return i == std::string::npos ? std::string() : s.substr(i);
}

std::string trim(const std::string& s) {
    std::string t = trimLeft(s);
    std::size_t j = t.find_last_not_of(" \t");
    return j == std::string::npos ? std::string() : t.substr(0, j + 1);
}

std::int64_t leadingNumber(const std::string& text) {
    std::string t = trimLeft(text);
    bool negative = false;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    std::int64_t value = 0;
    for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
        value = value * 10 + (t[i] - '0');
        if (value > 0x7FFFFFFF) return 0;  // out of range: no usable number
    }
    return negative ? -value : value;
}

InstrumentDescription InstrumentDescription::parse(const std::string& text) {
    InstrumentDescription d;
    if (containsIgnoringCase(text, "USB:")) {
        d.kind = Kind::Usb;
        d.serialNumber = trimLeft(after(text, 4));
    } else if (containsIgnoringCase(text, "COM:")) {
        std::string value = trim(after(text, 4));
        if (!value.empty() && value[0] == '/') {
            d.kind = Kind::SerialPath;
            d.path = value;
        } else {
            d.kind = Kind::SerialNumber;
            d.portNumber = static_cast<int>(leadingNumber(value));
        }
    } else if (containsIgnoringCase(text, "IP:")) {
        std::string value = trim(after(text, 3));
        std::size_t colon = value.find(':');
        if (colon == std::string::npos) return d;
        d.kind = Kind::Ethernet;
        d.host = value.substr(0, colon);
        d.port = static_cast<std::int32_t>(leadingNumber(value.substr(colon + 1)));
    }
    return d;
}

bool InstrumentDescription::usable() const {
    switch (kind) {
        case Kind::Usb:
            return !serialNumber.empty();
        case Kind::SerialNumber:
            return portNumber >= 1;
        case Kind::SerialPath:
            return path.size() > 1;
        case Kind::Ethernet:
            return !trim(host).empty() && port >= 1 && port <= 65535;
        case Kind::Invalid:
            break;
    }
    return false;
}

}  // namespace krnlink
