#include "platform/win/win_paths.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "platform/win/win_text.h"

namespace platform::win {

std::string perUserDataFolder(const std::string& application) {
    const wchar_t* base = _wgetenv(L"LOCALAPPDATA");
    if (!base || !*base) return {};
    return narrow((std::filesystem::path(base) / wide(application)).wstring());
}

std::string programDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return narrow(std::filesystem::path(path).parent_path().wstring());
}

}  // namespace platform::win
