#pragma once
// The per-user settings store in the registry: HKEY_CURRENT_USER\Software\krnsetup\<application>
// \<section>, one text value per key; the layout the desktop program's Qt settings use on
// Windows, so that both programs share them.
#include "platform/settings_store.h"

namespace platform::win {

class WinSettingsStore final : public SettingsStore {
public:
    // root: the key below HKEY_CURRENT_USER that holds the applications.
    explicit WinSettingsStore(std::string root = "Software\\krnsetup") : root_(std::move(root)) {}

    std::string value(const std::string& application, const std::string& section,
                      const std::string& key, const std::string& fallback = {}) const override;
    void setValue(const std::string& application, const std::string& section,
                  const std::string& key, const std::string& value) override;

private:
    std::string keyPath(const std::string& application, const std::string& section) const;
    std::string root_;
};

}  // namespace platform::win
