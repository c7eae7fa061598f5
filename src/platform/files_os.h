#pragma once
// The system calls under platform/files.h: one implementation for POSIX systems
// (posix/posix_files.cpp) and one for Windows (win/win_files.cpp). Failures return the reason as
// a sentence part ("it is a folder, not a file", "it cannot be read (No such file ...)").
#include <cstdint>
#include <optional>
#include <string>

#include "platform/files.h"

namespace platform::os {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

PathKind pathKind(const std::string& path);
bool isLink(const std::string& path);

// Opens path for reading, without blocking, only when it is a regular file (a link to one is
// followed); its size in `size`. The reason on refusal.
std::optional<std::string> openRegular(const std::string& path, Handle& handle,
                                       std::uint64_t& size);
// Bytes read, 0 at the end, -1 on an error (the reason in `why`).
long long readSome(Handle handle, char* buffer, std::size_t size, std::string& why);
void closeHandle(Handle handle);

// Creates path as a new file for writing; it must not exist (a link there is not followed).
std::optional<std::string> createNew(const std::string& path, Handle& handle);
// Opens path for appending, creating it when missing; only a regular file, never through a link.
std::optional<std::string> openAppend(const std::string& path, Handle& handle);
std::optional<std::string> writeAll(Handle handle, const char* data, std::size_t size);
// Flushes the file to the disk.
std::optional<std::string> sync(Handle handle);
std::optional<std::string> renameOver(const std::string& from, const std::string& to);
bool remove(const std::string& path);

// A text for this process's temporary names ("1234").
std::string processTag();
// Whether a process of this host with that id still runs.
bool processRunning(long pid);
std::string hostName();

}  // namespace platform::os
