// The file system calls of platform/files_os.h on Windows.
// clang-format off
#include <windows.h>
// clang-format on

#include "platform/files_os.h"
#include "platform/win/win_text.h"

namespace platform::os {
namespace {

std::string because(const char* what) {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string why = text ? win::narrow(text) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == '.'))
        why.pop_back();
    return std::string(what) + " (" + why + ")";
}

HANDLE h(Handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

PathKind pathKind(const std::string& path) {
    const DWORD a = GetFileAttributesW(win::wide(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                      : PathKind::Other;
    }
    if (a & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    if (a & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
    // Names such as "NUL" or "COM1" have attributes but are devices.
    HANDLE f = CreateFileW(win::wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return PathKind::Regular;
    const DWORD type = GetFileType(f);
    CloseHandle(f);
    return type == FILE_TYPE_DISK ? PathKind::Regular : PathKind::Other;
}

bool isLink(const std::string& path) {
    const DWORD a = GetFileAttributesW(win::wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::optional<std::string> openRegular(const std::string& path, Handle& handle,
                                       std::uint64_t& size) {
    handle = kNoHandle;
    const DWORD a = GetFileAttributesW(win::wide(path).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
        return "it is a folder, not a file";
    HANDLE f = CreateFileW(win::wide(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return "it does not exist";
        return because("it cannot be opened");
    }
    LARGE_INTEGER length{};
    if (GetFileType(f) != FILE_TYPE_DISK || !GetFileSizeEx(f, &length)) {
        CloseHandle(f);
        return "it is a device or a pipe, not a file";
    }
    size = static_cast<std::uint64_t>(length.QuadPart);
    handle = reinterpret_cast<Handle>(f);
    return std::nullopt;
}

long long readSome(Handle handle, char* buffer, std::size_t size, std::string& why) {
    DWORD got = 0;
    if (!ReadFile(h(handle), buffer, static_cast<DWORD>(size), &got, nullptr)) {
        why = because("it cannot be read");
        return -1;
    }
    return got;
}

void closeHandle(Handle handle) {
    if (handle != kNoHandle) CloseHandle(h(handle));
}

std::optional<std::string> createNew(const std::string& path, Handle& handle) {
    // CREATE_NEW fails on anything that stands there, a link included.
    HANDLE f = CreateFileW(win::wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (f == INVALID_HANDLE_VALUE) return because("it cannot be created there");
    handle = reinterpret_cast<Handle>(f);
    return std::nullopt;
}

std::optional<std::string> openAppend(const std::string& path, Handle& handle) {
    if (isLink(path)) return "it is a link, not a file";
    const PathKind kind = pathKind(path);
    if (kind == PathKind::Folder) return "it is a folder, not a file";
    if (kind == PathKind::Other) return "it is a device or a pipe, not a file";
    HANDLE f = CreateFileW(win::wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return because("it cannot be opened");
    handle = reinterpret_cast<Handle>(f);
    return std::nullopt;
}

std::optional<std::string> writeAll(Handle handle, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD done = 0;
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        if (!WriteFile(h(handle), data, chunk, &done, nullptr) || done == 0)
            return because("it cannot be written");
        data += done;
        size -= done;
    }
    return std::nullopt;
}

std::optional<std::string> sync(Handle handle) {
    if (!FlushFileBuffers(h(handle))) return because("it cannot be written");
    return std::nullopt;
}

std::optional<std::string> renameOver(const std::string& from, const std::string& to) {
    if (!MoveFileExW(win::wide(from).c_str(), win::wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return because("it cannot be replaced");
    return std::nullopt;
}

bool remove(const std::string& path) {
    return DeleteFileW(win::wide(path).c_str()) != 0;
}

std::string processTag() {
    return std::to_string(GetCurrentProcessId());
}

bool processRunning(long pid) {
    if (pid <= 0) return false;
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!p) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(p, 0) == WAIT_TIMEOUT;
    CloseHandle(p);
    return running;
}

std::string hostName() {
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(host, &size)) host[0] = L'\0';
    return win::narrow(host);
}

}  // namespace platform::os
