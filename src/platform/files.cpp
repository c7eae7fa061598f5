#include "platform/files.h"

#include <array>
#include <atomic>
#include <filesystem>

#include "platform/files_os.h"

namespace platform {
namespace {

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;

// Closes the handle on every way out.
struct Opened {
    os::Handle h = os::kNoHandle;
    ~Opened() { os::closeHandle(h); }
};

std::string sizeText(std::uint64_t bytes) {
    return bytes >= kMiB ? std::to_string(bytes / kMiB) + " MB"
                         : std::to_string(bytes / kKiB) + " KB";
}

FileProblem problem(const std::string& path, long line, std::string reason) {
    return FileProblem{path, line, std::move(reason)};
}

// Reads the file through `take` (called with each block), within the kind's size bound.
template <typename Take>
std::optional<FileProblem> readBounded(const std::string& path, FileKind kind, Take take) {
    const FileBounds b = boundsOf(kind);
    Opened f;
    std::uint64_t size = 0;
    if (auto why = os::openRegular(path, f.h, size)) return problem(path, 0, *why);
    if (size > b.fileBytes && !b.stopAtLines)
        return problem(
            path, 0,
            "it is larger than " + sizeText(b.fileBytes) + ", the most this kind of file may hold");
    std::array<char, 64 * 1024> block{};
    std::uint64_t total = 0;
    for (;;) {
        std::string why;
        const long long n = os::readSome(f.h, block.data(), block.size(), why);
        if (n < 0) return problem(path, 0, why);
        if (n == 0) return std::nullopt;
        total += static_cast<std::uint64_t>(n);
        if (total > b.fileBytes)
            return problem(path, 0,
                           "it is larger than " + sizeText(b.fileBytes) +
                               ", the most this kind of file may hold");
        if (total == static_cast<std::uint64_t>(n) && n >= 2 &&
            ((block[0] == '\xFF' && block[1] == '\xFE') ||
             (block[0] == '\xFE' && block[1] == '\xFF')) &&
            b.text)
            return problem(path, 0, "it is UTF-16 text; the program reads Windows-1252 text");
        // false from take: stop reading, the rest is not wanted.
        const auto r = take(block.data(), static_cast<std::size_t>(n));
        if (!r.first) return r.second;
        if (r.second.line < 0) return std::nullopt;
    }
}

std::string temporaryBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path t(target);
    const std::string name = "." + t.filename().string() + "." + os::processTag() + "-" +
                             std::to_string(++counter) + ".tmp";
    return (t.parent_path() / name).string();
}

// A link to a regular file is written through: its target is replaced, the link stays.
std::string resolved(const std::string& path) {
    if (!os::isLink(path)) return path;
    std::error_code ec;
    const auto real = std::filesystem::canonical(path, ec);
    return ec ? path : real.string();
}

std::optional<std::string> targetRefusal(const std::string& path) {
    switch (os::pathKind(path)) {
        case PathKind::Missing:
        case PathKind::Regular:
            return std::nullopt;
        case PathKind::Folder:
            return "it is a folder, not a file; nothing was written";
        case PathKind::Other:
            break;
    }
    return "it is not a regular file (a device, a FIFO or a socket); nothing was written";
}

}  // namespace

FileBounds boundsOf(FileKind kind) {
    switch (kind) {
        // The store's own bound: the lines past 120,001 are not read.
        case FileKind::Backup:
            return {4096, 32 * kMiB, 120001, true, true};
        // 512 KiB of NVRAM is 524,288 lines of about 18 characters.
        case FileKind::MemoryDump:
            return {256, 32 * kMiB, 1100000};
        case FileKind::JobCopy:
            return {256, 16 * kMiB, 1100000};
        case FileKind::Firmware:
            return {256, 32 * kMiB, 1100000};
        case FileKind::Image:
            return {256, 4 * kMiB, 140000};
        case FileKind::Font:
            return {256, 1 * kMiB, 20000};
        case FileKind::DisplayText:
            return {4096, 4 * kMiB, 100000};
        case FileKind::SerialList:
            return {1 * kMiB, 16 * kMiB, 400000};
        case FileKind::Profile:
            return {4096, 1 * kMiB, 20000};
        case FileKind::Small:
            return {4096, 64 * kKiB, 1000};
        case FileKind::Nvram:
            return {SIZE_MAX, 32 * kMiB, SIZE_MAX, false, false};
    }
    return {4096, 1 * kMiB, 20000};
}

std::string FileProblem::text() const {
    return path + ": " + (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) +
           reason;
}

PathKind pathKind(const std::string& path) {
    return os::pathKind(path);
}

FileResult<std::string> readFile(const std::string& path, FileKind kind) {
    FileResult<std::string> out;
    std::string bytes;
    const bool text = boundsOf(kind).text;
    auto problemFound = readBounded(path, kind, [&](const char* data, std::size_t n) {
        if (text)
            for (std::size_t i = 0; i < n; ++i)
                if (data[i] == '\0')
                    return std::pair{false, problem(path, 0,
                                                    "it holds a NUL byte: it is not a text file "
                                                    "(binary data, or UTF-16 text)")};
        bytes.append(data, n);
        return std::pair{true, FileProblem{}};
    });
    if (problemFound) {
        out.problem = std::move(*problemFound);
        return out;
    }
    out.value = std::move(bytes);
    return out;
}

FileResult<std::vector<std::string>> readLines(const std::string& path, FileKind kind) {
    FileResult<std::vector<std::string>> out;
    const FileBounds b = boundsOf(kind);
    std::vector<std::string> lines;
    std::string line;
    bool pendingCr = false;
    bool full = false;
    const auto endLine = [&] {
        lines.push_back(std::move(line));
        line.clear();
        full = lines.size() >= b.lines;
    };
    auto problemFound = readBounded(path, kind, [&](const char* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            const char c = data[i];
            if (pendingCr && c == '\n') {
                pendingCr = false;
                continue;
            }
            pendingCr = c == '\r';
            if (c == '\r' || c == '\n') {
                endLine();
                if (full && b.stopAtLines) return std::pair{true, FileProblem{{}, -1, {}}};
                if (full)
                    return std::pair{false,
                                     problem(path, 0,
                                             "it has more than " + std::to_string(b.lines) +
                                                 " lines, the most this kind of file may hold")};
                continue;
            }
            const long number = static_cast<long>(lines.size()) + 1;
            if (c == '\0' && b.text)
                return std::pair{false, problem(path, number,
                                                "it holds a NUL byte: this is not a text file "
                                                "(binary data, or UTF-16 text)")};
            if (line.size() >= b.lineBytes)
                return std::pair{false, problem(path, number,
                                                "the line is longer than " +
                                                    std::to_string(b.lineBytes) + " characters")};
            line += c;
        }
        return std::pair{true, FileProblem{}};
    });
    if (problemFound) {
        out.problem = std::move(*problemFound);
        return out;
    }
    if (!line.empty() && !(full && b.stopAtLines)) {
        if (lines.size() >= b.lines && !b.stopAtLines) {
            out.problem = problem(path, 0,
                                  "it has more than " + std::to_string(b.lines) +
                                      " lines, the most this kind of file may hold");
            return out;
        }
        if (lines.size() < b.lines) lines.push_back(std::move(line));
    }
    out.value = std::move(lines);
    return out;
}

std::optional<FileProblem> writeFile(const std::string& path, const std::string& bytes) {
    const std::string target = resolved(path);
    if (auto why = targetRefusal(target)) return problem(path, 0, *why);
    const std::string temporary = temporaryBeside(target);
    std::optional<std::string> why;
    {
        Opened f;
        why = os::createNew(temporary, f.h);
        if (!why) why = os::writeAll(f.h, bytes.data(), bytes.size());
        if (!why) why = os::sync(f.h);
    }
    if (!why) why = os::renameOver(temporary, target);
    if (!why) return std::nullopt;
    os::remove(temporary);
    return problem(path, 0, *why + "; the earlier file, if any, was kept");
}

std::optional<FileProblem> refusedTarget(const std::string& path) {
    const std::string target = resolved(path);
    if (auto why = targetRefusal(target)) return problem(path, 0, *why);
    // A file that cannot be created there (no such folder, no right to write) is found out by
    // creating the write's own temporary file, which goes at once.
    const std::string temporary = temporaryBeside(target);
    std::optional<std::string> why;
    {
        Opened f;
        why = os::createNew(temporary, f.h);
    }
    if (!why) {
        os::remove(temporary);
        return std::nullopt;
    }
    return problem(path, 0, *why + "; nothing was written");
}

std::optional<FileProblem> writeLines(const std::string& path,
                                      const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& l : lines) size += l.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& l : lines) bytes.append(l).append("\r\n");
    return writeFile(path, bytes);
}

std::optional<FileProblem> appendFile(const std::string& path, const std::string& bytes) {
    Opened f;
    if (auto why = os::openAppend(path, f.h)) return problem(path, 0, *why);
    if (auto why = os::writeAll(f.h, bytes.data(), bytes.size())) return problem(path, 0, *why);
    return std::nullopt;
}

bool removeFile(const std::string& path) {
    if (!os::isLink(path) && os::pathKind(path) != PathKind::Regular) return false;
    return os::remove(path);
}

std::string privateName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::string tag = "-" + os::processTag();
    return dot == std::string::npos ? name + tag : name.substr(0, dot) + tag + name.substr(dot);
}

FileLock::Result FileLock::take(const std::string& path) {
    release();
    holder_ = {};
    const std::string me = os::hostName() + " " + os::processTag() + "\n";
    for (int attempt = 0; attempt < 2; ++attempt) {
        {
            Opened f;
            if (!os::createNew(path, f.h)) {
                if (os::writeAll(f.h, me.data(), me.size())) {
                    os::remove(path);
                    return Result::Failed;
                }
                path_ = path;
                held_ = true;
                return attempt == 0 ? Result::Taken : Result::TakenOver;
            }
        }
        // Held: by whom? A file that is not a lock, or that cannot be read, is respected.
        const auto content = readLines(path, FileKind::Small);
        if (!content || content->empty()) return Result::Held;
        const std::string& first = content->front();
        const std::size_t blank = first.rfind(' ');
        if (blank == std::string::npos) return Result::Held;
        holder_ = {first.substr(blank + 1), first.substr(0, blank)};
        long pid = 0;
        try {
            pid = std::stol(holder_.first);
        } catch (...) {
            return Result::Held;
        }
        if (attempt > 0 || holder_.second != os::hostName() || os::processRunning(pid))
            return Result::Held;
        os::remove(path);  // an ended process of this host: taken over
    }
    return Result::Held;
}

void FileLock::release() {
    if (held_) os::remove(path_);
    held_ = false;
}

std::optional<std::string> lockWorkFiles(FileLock& lock, const std::string& folder,
                                         std::string* note) {
    const std::string path = (std::filesystem::path(folder) / kWorkFilesLock).string();
    switch (lock.take(path)) {
        case FileLock::Result::Taken:
            return std::nullopt;
        case FileLock::Result::TakenOver:
            if (note)
                *note = "The lock of the program folder left by an ended command (PID " +
                        lock.holder().first + ", host " + lock.holder().second +
                        ") was taken over.";
            return std::nullopt;
        case FileLock::Result::Held:
            return "The program folder is in use by another command (PID " +
                   (lock.holder().first.empty() ? std::string("unknown") : lock.holder().first) +
                   ", host " +
                   (lock.holder().second.empty() ? std::string("unknown") : lock.holder().second) +
                   ").\nNothing was done.";
        case FileLock::Result::Failed:
            break;
    }
    return "The program folder " + folder + " cannot hold the lock of its work files.";
}

}  // namespace platform
