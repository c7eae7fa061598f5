#include "platform/settings_store.h"

namespace platform {

std::string MemorySettingsStore::value(const std::string& application, const std::string& section,
                                       const std::string& key, const std::string& fallback) const {
    auto it = values_.find({application, section, key});
    return it == values_.end() ? fallback : it->second;
}

void MemorySettingsStore::setValue(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& value) {
    values_[{application, section, key}] = value;
}

}  // namespace platform
