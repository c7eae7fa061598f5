#pragma once
// Every file of every layer is opened, read and written here, so that no odd file can hurt:
// - only regular files are read: a folder, a FIFO, a device or a link to one is refused at once,
//   without blocking and without reading a byte;
// - reading is bounded per kind of file (line length, file size, line count), far above any real
//   file, so that memory stays small whatever stands at the path;
// - writing goes through a temporary file created beside the target (exclusively, never through
//   a link), flushed to the disk and renamed over the target: a failed write leaves the earlier
//   file as it was, and a target that is not a regular file is refused;
// - nothing here throws; every refusal names the file, the line when there is one, and why.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class FileKind {
    Backup,       // configuration backup (INI): the lines past the store's bound are not read
    MemoryDump,   // "Memory.asm", "Diff.asm"
    JobCopy,      // "CopiaLavori.bin" and the job copies of "jobs save"
    Firmware,     // firmware files and the loader blocks
    Image,        // the NVRAM image "RamSetup.asm"
    Font,         // "Font8x10.asm", "Font6x6.asm"
    DisplayText,  // display texts, menus, translations, text limits, menu layouts
    SerialList,   // the serial-number list (rich text)
    Profile,      // machine profiles
    Small,        // other small files: the simulated chip's identity
    Nvram,        // the simulator's NVRAM and flash contents (binary)
};

struct FileBounds {
    std::size_t lineBytes;     // the longest line
    std::uint64_t fileBytes;   // the largest file
    std::size_t lines;         // the most lines
    bool stopAtLines = false;  // lines past `lines` are not read, and that is no refusal
    bool text = true;          // a NUL byte (binary data, UTF-16 text) refuses the file
};
FileBounds boundsOf(FileKind kind);

struct FileProblem {
    std::string path;
    long line = 0;       // 1-based; 0 for the file as a whole
    std::string reason;  // "it is a folder, not a file"
    // "PATH: REASON" or "PATH: line N: REASON".
    std::string text() const;
};

template <typename T>
struct FileResult {
    std::optional<T> value;
    FileProblem problem;  // when there is no value
    explicit operator bool() const { return value.has_value(); }
    T& operator*() { return *value; }
    const T& operator*() const { return *value; }
    T* operator->() { return &*value; }
    const T* operator->() const { return &*value; }
};

// What stands at a path (a link is followed).
enum class PathKind { Missing, Regular, Folder, Other };
PathKind pathKind(const std::string& path);

// The whole file as bytes.
FileResult<std::string> readFile(const std::string& path, FileKind kind);
// The file's lines as bytes (no conversion), split at CR LF, lone CR or lone LF; a final line end
// makes no empty last line.
FileResult<std::vector<std::string>> readLines(const std::string& path, FileKind kind);

// Replaces (or creates) the file with these bytes; the problem when nothing was written.
std::optional<FileProblem> writeFile(const std::string& path, const std::string& bytes);
// The lines, each followed by CR LF.
std::optional<FileProblem> writeLines(const std::string& path,
                                      const std::vector<std::string>& lines);
// Whether writeFile would refuse the target before writing (a folder, a device, a FIFO): a
// command checks its output before it touches the instrument.
std::optional<FileProblem> refusedTarget(const std::string& path);
// Appends to a regular file (created when missing); a log that is not a regular file is refused.
std::optional<FileProblem> appendFile(const std::string& path, const std::string& bytes);
// Removes a regular file (or a link); a folder or a device is left alone. False when nothing was
// removed.
bool removeFile(const std::string& path);

// A file name of this process's own: "RamSetup.asm" -> "RamSetup-1234.asm".
std::string privateName(const std::string& name);

// An exclusive lock held through a lock file that holds "host pid" of its holder. A lock of a
// process of this host that has ended is taken over; a lock of another host is respected.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    enum class Result { Taken, TakenOver, Held, Failed };
    // Takes the lock of path. Held: holder() names the other process; TakenOver: the lock of an
    // ended process was taken (holder() names it).
    Result take(const std::string& path);
    void release();
    bool held() const { return held_; }
    // The process named by the lock file met by the last take: {pid, host}.
    const std::pair<std::string, std::string>& holder() const { return holder_; }

private:
    std::string path_;
    bool held_ = false;
    std::pair<std::string, std::string> holder_;
};

// The lock of a program folder's work files, for the length of one command; the refusal text
// when another command holds it, with a line in `note` when an ended command's lock was taken.
inline constexpr const char* kWorkFilesLock = "krnsetup.lock";
std::optional<std::string> lockWorkFiles(FileLock& lock, const std::string& folder,
                                         std::string* note);

}  // namespace platform
