#include "cli/option_checks.h"

#include <string>

namespace cli {
namespace {

bool digitsOnly(const std::string& s, const char* valid) {
    return !s.empty() && s.find_first_not_of(valid) == std::string::npos;
}

}  // namespace

const CLI::Validator& nvramAddress() {
    static const CLI::Validator v(
        [](const std::string& text) -> std::string {
            std::string digits = text;
            int base = 10;
            if (digits.size() > 2 && digits[0] == '&' && (digits[1] == 'H' || digits[1] == 'h')) {
                digits = digits.substr(2);
                base = 16;
            }
            if (digits.size() > 8 ||
                !digitsOnly(digits, base == 16 ? "0123456789abcdefABCDEF" : "0123456789") ||
                std::stoll(digits, nullptr, base) > 0xFFFFFF)
                return "an NVRAM address: 0 to 16777215 (&HFFFFFF)";
            return {};
        },
        "ADDRESS");
    return v;
}

std::int64_t nvramAddressValue(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h');
    return std::stoll(hex ? text.substr(2) : text, nullptr, hex ? 16 : 10);
}

const CLI::Validator& ipv4Address() {
    static const CLI::Validator v(
        [](const std::string& text) -> std::string {
            std::size_t start = 0;
            for (int part = 1; part <= 4; ++part) {
                const std::size_t dot = text.find('.', start);
                const std::string number = text.substr(start, dot - start);
                if (number.size() > 3 || !digitsOnly(number, "0123456789") ||
                    std::stoi(number) > 255)
                    break;
                if (dot == std::string::npos) {
                    if (part == 4) return {};
                    break;
                }
                start = dot + 1;
            }
            return "an IPv4 address: four numbers 0..255 separated by dots, e.g. 192.168.1.20";
        },
        "IPV4");
    return v;
}

const CLI::Validator& moduleMac() {
    static const CLI::Validator v(
        [](const std::string& text) -> std::string {
            bool ok = !text.empty();
            for (unsigned char c : text) ok = ok && c > ' ' && c < 127 && c != '/';
            if (ok) return {};
            return "the module's MAC address as \"krnctl list --ethernet\" shows it (no blanks, "
                   "no \"/\")";
        },
        "MAC");
    return v;
}

CLI::Validator oneLineText(std::size_t maxLength) {
    return CLI::Validator(
        [maxLength](const std::string& text) -> std::string {
            bool ok = text.size() <= maxLength;
            for (unsigned char c : text) ok = ok && (c >= ' ' && c != 127);
            if (ok) return {};
            return "at most " + std::to_string(maxLength) +
                   " characters on one line, without control characters";
        },
        "TEXT");
}

}  // namespace cli
