#include "cli/json.h"

#include <charconv>
#include <cmath>

#include <cstdio>

namespace cli {

std::string Json::quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

void Json::comma() {
    if (!body_.empty()) body_ += ",";
}

void Json::key(const std::string& k) {
    comma();
    body_ += quote(k) + ":";
}

Json& Json::add(const std::string& k, const std::string& value) {
    key(k);
    body_ += quote(value);
    return *this;
}
Json& Json::add(const std::string& k, std::int64_t value) {
    key(k);
    body_ += std::to_string(value);
    return *this;
}
Json& Json::add(const std::string& k, bool value) {
    key(k);
    body_ += value ? "true" : "false";
    return *this;
}
Json& Json::add(const std::string& k, double value) {
    key(k);
    // JSON has no NaN or infinity: such a value is null. The digits never follow the locale.
    if (!std::isfinite(value)) {
        body_ += "null";
        return *this;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 10);
    body_.append(buf, r.ptr);
    return *this;
}
Json& Json::add(const std::string& k, const Json& value) {
    key(k);
    body_ += value.str();
    return *this;
}
Json& Json::push(const std::string& value) {
    comma();
    body_ += quote(value);
    return *this;
}
Json& Json::push(std::int64_t value) {
    comma();
    body_ += std::to_string(value);
    return *this;
}
Json& Json::push(const Json& value) {
    comma();
    body_ += value.str();
    return *this;
}

}  // namespace cli
