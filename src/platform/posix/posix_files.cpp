// The file system calls of platform/files_os.h on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/files_os.h"

namespace platform::os {
namespace {

std::string because(const char* what) {
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

std::string notAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISFIFO(mode)) return "it is a FIFO, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
    return "it is not a regular file";
}

int fd(Handle h) {
    return static_cast<int>(h);
}

}  // namespace

PathKind pathKind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? PathKind::Missing : PathKind::Other;
    if (S_ISREG(st.st_mode)) return PathKind::Regular;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<std::string> openRegular(const std::string& path, Handle& handle,
                                       std::uint64_t& size) {
    handle = kNoHandle;
    // O_NONBLOCK: a FIFO without a writer does not hold the open; nothing is read from it.
    const int f = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (f < 0) {
        if (errno == ENOENT) return "it does not exist";
        if (errno == ENXIO) return notAFile(S_IFIFO);
        return because("it cannot be opened");
    }
    struct stat st {};
    if (::fstat(f, &st) != 0) {
        const std::string why = because("it cannot be read");
        ::close(f);
        return why;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(f);
        return notAFile(st.st_mode);
    }
    size = static_cast<std::uint64_t>(st.st_size);
    handle = f;
    return std::nullopt;
}

long long readSome(Handle handle, char* buffer, std::size_t size, std::string& why) {
    for (;;) {
        const ssize_t n = ::read(fd(handle), buffer, size);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        why = because("it cannot be read");
        return -1;
    }
}

void closeHandle(Handle handle) {
    if (handle != kNoHandle) ::close(fd(handle));
}

std::optional<std::string> createNew(const std::string& path, Handle& handle) {
    const int f = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (f < 0) return because("it cannot be created there");
    handle = f;
    return std::nullopt;
}

std::optional<std::string> openAppend(const std::string& path, Handle& handle) {
    const int f = ::open(path.c_str(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (f < 0) {
        if (errno == ELOOP) return "it is a link, not a file";
        if (errno == EISDIR) return notAFile(S_IFDIR);
        if (errno == ENXIO) return notAFile(S_IFIFO);
        return because("it cannot be opened");
    }
    struct stat st {};
    if (::fstat(f, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(f);
        return notAFile(st.st_mode);
    }
    handle = f;
    return std::nullopt;
}

std::optional<std::string> writeAll(Handle handle, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd(handle), data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return because("it cannot be written");
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

std::optional<std::string> sync(Handle handle) {
    if (::fsync(fd(handle)) != 0 && errno != EINVAL) return because("it cannot be written");
    return std::nullopt;
}

std::optional<std::string> renameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return because("it cannot be replaced");
    return std::nullopt;
}

bool remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::string processTag() {
    return std::to_string(::getpid());
}

bool processRunning(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string hostName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

}  // namespace platform::os
