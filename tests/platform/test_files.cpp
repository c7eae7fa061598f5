// The file module: every odd thing at a path is refused by every reader at once, with the file
// and the reason; writers never go through a link, never replace what is not a regular file, and
// leave the earlier file as it was when the write fails.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "platform/files.h"
#include "support/hostile_files.h"

namespace fs = std::filesystem;

namespace {

struct Folder {
    Folder() : path(fs::temp_directory_path() / ("krn_files_" + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
    std::string at(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

std::string bytesOf(const std::string& path) {
    auto r = platform::readFile(path, platform::FileKind::Small);
    return r ? *r : "<" + r.problem.reason + ">";
}

// Writes fail past `bytes` while it lives (as on a full disk), without the signal that would end
// the process.
struct FullDisk {
    explicit FullDisk(rlim_t bytes) {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit r = old;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FullDisk() { ::setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old{};
};

TEST(Files, EveryHostileFileIsRefusedByEveryKindOfReader) {
    Folder f;
    const struct {
        const char* kind;
        const char* reason;
    } expected[] = {
        {"binary garbage", "NUL byte"},
        {"a directory", "it is a folder, not a file"},
        {"a FIFO", "it is a FIFO, not a file"},
        {"a link to /dev/zero", "it is a device, not a file"},
        // Past its size bound, or (the backup store reads up to its line bound) its NUL bytes.
        {"a 500 MB sparse file", "larger than|NUL byte"},
        // Past its line bound, or past its size bound first.
        {"a 20 MB line", "longer than|larger than"},
        {"UTF-16 text", "UTF-16"},
    };
    for (const platform::FileKind kind :
         {platform::FileKind::Backup, platform::FileKind::MemoryDump, platform::FileKind::JobCopy,
          platform::FileKind::Firmware, platform::FileKind::Image, platform::FileKind::Font,
          platform::FileKind::DisplayText, platform::FileKind::SerialList,
          platform::FileKind::Profile}) {
        for (const hostile::Kind& h : hostile::kinds()) {
            const std::string path = f.at("file");
            h.make(path);
            const auto lines = platform::readLines(path, kind);
            const auto bytes = platform::readFile(path, kind);
            hostile::remove(path);
            if (std::string(h.name) == "empty") {
                ASSERT_TRUE(lines && bytes) << h.name;
                EXPECT_TRUE(lines->empty() && bytes->empty());
                continue;
            }
            const auto e =
                std::find_if(std::begin(expected), std::end(expected),
                             [&](const auto& x) { return h.name == std::string(x.kind); });
            ASSERT_NE(e, std::end(expected)) << h.name;
            const auto matches = [&](const std::string& reason) {
                const std::string alternatives = e->reason;
                const std::size_t bar = alternatives.find('|');
                return reason.find(alternatives.substr(0, bar)) != std::string::npos ||
                       (bar != std::string::npos &&
                        reason.find(alternatives.substr(bar + 1)) != std::string::npos);
            };
            EXPECT_FALSE(lines) << static_cast<int>(kind) << " " << h.name;
            EXPECT_TRUE(matches(lines.problem.reason)) << h.name << ": " << lines.problem.text();
            EXPECT_EQ(lines.problem.path, path);
            // Whole-file reading has no line bound, only the size bound.
            if (std::string(h.name) == "a 20 MB line") continue;
            EXPECT_FALSE(bytes) << static_cast<int>(kind) << " " << h.name;
            EXPECT_TRUE(matches(bytes.problem.reason)) << h.name << ": " << bytes.problem.text();
        }
    }
}

TEST(Files, LinesSplitAtEveryLineEndAndTheBackupStoreStopsAtItsBound) {
    Folder f;
    hostile::write(f.at("t"), "a\r\nb\rc\nd");
    const auto lines = platform::readLines(f.at("t"), platform::FileKind::DisplayText);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    std::string many;
    for (int i = 0; i < 200000; ++i) many += "k=1\r\n";
    hostile::write(f.at("b.ini"), many);
    const auto ini = platform::readLines(f.at("b.ini"), platform::FileKind::Backup);
    ASSERT_TRUE(ini) << ini.problem.text();
    EXPECT_EQ(ini->size(), 120001u);
}

TEST(Files, WritersReplaceOnlyRegularFilesAndNeverFollowAPlantedLink) {
    Folder f;
    // A planted link at any neighbouring name is never written through.
    hostile::write(f.at("victim"), "keep");
    fs::create_symlink(f.at("victim"), f.at("SNlist.txt.new"));
    EXPECT_FALSE(platform::writeFile(f.at("SNlist.txt"), "list"));
    EXPECT_EQ(bytesOf(f.at("SNlist.txt")), "list");
    EXPECT_EQ(bytesOf(f.at("victim")), "keep");
    // A link to a regular file is written through to it; the link stays.
    fs::create_symlink(f.at("victim"), f.at("link"));
    EXPECT_FALSE(platform::writeFile(f.at("link"), "new"));
    EXPECT_TRUE(fs::is_symlink(f.at("link")));
    EXPECT_EQ(bytesOf(f.at("victim")), "new");
    // A FIFO, a folder or a device is refused and left as it is (/dev/full stands for a device).
    ::mkfifo(f.at("fifo").c_str(), 0600);
    fs::create_directory(f.at("dir"));
    for (const std::string& target : {f.at("fifo"), f.at("dir"), std::string("/dev/full")}) {
        const auto refused = platform::writeFile(target, "x");
        ASSERT_TRUE(refused) << target;
        EXPECT_NE(refused->reason.find("nothing was written"), std::string::npos);
        EXPECT_TRUE(platform::refusedTarget(target));
    }
    EXPECT_TRUE(fs::is_fifo(f.at("fifo")));
    EXPECT_TRUE(fs::is_directory(f.at("dir")));
    EXPECT_TRUE(platform::appendFile(f.at("fifo"), "x"));
    EXPECT_TRUE(platform::appendFile(f.at("link"), "x"));  // a log is never written through a link
    // Nothing but the target is left behind.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(f.path)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"SNlist.txt", "SNlist.txt.new", "dir", "fifo",
                                               "link", "victim"}));
}

TEST(Files, AFailedWriteLeavesTheEarlierFileAsItWas) {
    Folder f;
    ASSERT_FALSE(platform::writeLines(f.at("copy.bin"), {" 2", " 1", " 7"}));
    EXPECT_EQ(bytesOf(f.at("copy.bin")), " 2\r\n 1\r\n 7\r\n");
    {
        const FullDisk full(4);
        const auto failed = platform::writeFile(f.at("copy.bin"), std::string(100, '9'));
        ASSERT_TRUE(failed);
        EXPECT_NE(failed->reason.find("cannot be written"), std::string::npos) << failed->reason;
    }
    EXPECT_EQ(bytesOf(f.at("copy.bin")), " 2\r\n 1\r\n 7\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(f.path), fs::directory_iterator()), 1);
}

TEST(Files, TheWorkFilesLockIsRefusedWhileHeldAndTakenOverFromAnEndedProcess) {
    Folder f;
    platform::FileLock first, second;
    EXPECT_FALSE(platform::lockWorkFiles(first, f.path.string(), nullptr));
    const auto refusal = platform::lockWorkFiles(second, f.path.string(), nullptr);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("The program folder is in use by another command (PID " +
                            std::to_string(::getpid()) + ", host "),
              std::string::npos)
        << *refusal;
    first.release();
    EXPECT_FALSE(platform::lockWorkFiles(second, f.path.string(), nullptr));
    second.release();
    // A lock left by a process of this host that has ended is taken over, with a line.
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    hostile::write(f.at(platform::kWorkFilesLock), std::string(host) + " 999999999\n");
    std::string note;
    EXPECT_FALSE(platform::lockWorkFiles(first, f.path.string(), &note));
    EXPECT_NE(note.find("(PID 999999999, host "), std::string::npos) << note;
    first.release();
    // Another host's lock is respected and named.
    hostile::write(f.at(platform::kWorkFilesLock), "elsewhere 1\n");
    const auto other = platform::lockWorkFiles(first, f.path.string(), nullptr);
    ASSERT_TRUE(other);
    EXPECT_NE(other->find("(PID 1, host elsewhere)"), std::string::npos) << *other;
}

}  // namespace
