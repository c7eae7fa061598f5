#include "platform/win/win_settings_store.h"

#include <windows.h>

#include <vector>

#include "platform/win/win_text.h"

namespace platform::win {

std::string WinSettingsStore::keyPath(const std::string& application,
                                      const std::string& section) const {
    return root_ + "\\" + application + "\\" + section;
}

std::string WinSettingsStore::value(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& fallback) const {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(keyPath(application, section)).c_str(), 0,
                      KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return fallback;
    const std::wstring name = wide(key);
    DWORD type = 0;
    DWORD size = 0;
    std::string out = fallback;
    if (RegQueryValueExW(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                             &size) == ERROR_SUCCESS)
            out = narrow(std::wstring(text.data()));
    }
    RegCloseKey(k);
    return out;
}

void WinSettingsStore::setValue(const std::string& application, const std::string& section,
                                const std::string& key, const std::string& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wide(keyPath(application, section)).c_str(), 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring text = wide(value);
    RegSetValueExW(k, wide(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

}  // namespace platform::win
