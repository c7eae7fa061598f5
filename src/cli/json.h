#pragma once
// A small JSON writer for krnctl's --json output: one document, keys in the order written.
#include <cstdint>
#include <string>
#include <vector>

namespace cli {

class Json {
public:
    static Json object() { return Json("{", "}"); }
    static Json array() { return Json("[", "]"); }

    Json& add(const std::string& key, const std::string& value);
    Json& add(const std::string& key, const char* value) { return add(key, std::string(value)); }
    Json& add(const std::string& key, std::int64_t value);
    Json& add(const std::string& key, int value) {
        return add(key, static_cast<std::int64_t>(value));
    }
    Json& add(const std::string& key, bool value);
    Json& add(const std::string& key, double value);
    Json& add(const std::string& key, const Json& value);
    Json& push(const std::string& value);
    Json& push(std::int64_t value);
    Json& push(const Json& value);

    std::string str() const { return open_ + body_ + close_; }
    static std::string quote(const std::string& s);

private:
    Json(std::string open, std::string close) : open_(std::move(open)), close_(std::move(close)) {}
    void key(const std::string& k);
    void comma();
    std::string open_, close_, body_;
};

}  // namespace cli
