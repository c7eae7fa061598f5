#pragma once
#include <map>
#include <string>
#include <tuple>

namespace platform {

// The per-user settings store: text values by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string value(const std::string& application, const std::string& section,
                              const std::string& key, const std::string& fallback = {}) const = 0;
    virtual void setValue(const std::string& application, const std::string& section,
                          const std::string& key, const std::string& value) = 0;
};

class MemorySettingsStore final : public SettingsStore {
public:
    std::string value(const std::string& application, const std::string& section,
                      const std::string& key, const std::string& fallback = {}) const override;
    void setValue(const std::string& application, const std::string& section,
                  const std::string& key, const std::string& value) override;

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

}  // namespace platform
