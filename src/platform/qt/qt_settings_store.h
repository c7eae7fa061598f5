#pragma once
#include "platform/settings_store.h"

namespace platform::qt {

// QSettings: the registry on Windows, an INI file under ~/.config on Linux. The application
// name is the organisation folder's file, the section the group.
class QtSettingsStore final : public SettingsStore {
public:
    std::string value(const std::string& application, const std::string& section,
                      const std::string& key, const std::string& fallback = {}) const override;
    void setValue(const std::string& application, const std::string& section,
                  const std::string& key, const std::string& value) override;
};

}  // namespace platform::qt
