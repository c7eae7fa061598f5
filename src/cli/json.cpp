#include "cli/json.h"

#include <cstdio>

namespace cli {

std::string Json::quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
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
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", value);
    body_ += buf;
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
