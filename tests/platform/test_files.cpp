// The file module: every odd thing at a path is refused by every reader at once, with the file
// and the reason; writers never go through a link and never replace what is not a regular file
// (a write that fails on a full disk keeps the earlier file: the end-to-end tests of krnctl).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

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

TEST(Files, EveryHostileFileIsRefusedByEveryKindOfReader) {
    Folder f;
    // The reasons each reader may give; "|" separates alternatives.
    const std::map<std::string, std::string> reasons = {
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
    const auto refused = [&](const auto& result, const std::string& kind) {
        if (result) return std::string("read");
        const std::string& expected = reasons.at(kind);
        const std::size_t bar = expected.find('|');
        for (const std::string& r :
             {expected.substr(0, bar),
              bar == std::string::npos ? expected : expected.substr(bar + 1)})
            if (result.problem.reason.find(r) != std::string::npos) return expected;
        return result.problem.text();
    };
    using K = platform::FileKind;
    for (const K kind : {K::Backup, K::MemoryDump, K::JobCopy, K::Firmware, K::Image, K::Font,
                         K::DisplayText, K::SerialList, K::Profile}) {
        for (const hostile::Kind& h : hostile::kinds()) {
            const std::string path = f.at("file"), name = h.name;
            const std::string what = std::to_string(static_cast<int>(kind)) + " " + name;
            h.make(path);
            const auto lines = platform::readLines(path, kind);
            const auto bytes = platform::readFile(path, kind);
            hostile::remove(path);
            if (name == "empty") {
                EXPECT_TRUE(lines && lines->empty() && bytes && bytes->empty()) << what;
                continue;
            }
            EXPECT_EQ(refused(lines, name), reasons.at(name)) << what;
            EXPECT_EQ(lines.problem.path, path);
            // Whole-file reading has no line bound, only the size bound.
            if (name != "a 20 MB line") {
                EXPECT_EQ(refused(bytes, name), reasons.at(name)) << what;
            }
        }
    }
}

// The backup store's stop at its line bound is followed by the INI file tests.
TEST(Files, LinesSplitAtEveryLineEndAndWritesEndInCrLf) {
    Folder f;
    hostile::write(f.at("t"), "a\r\nb\rc\nd");
    EXPECT_EQ(platform::readLines(f.at("t"), platform::FileKind::DisplayText).value,
              (std::vector<std::string>{"a", "b", "c", "d"}));
    ASSERT_FALSE(platform::writeLines(f.at("copy.bin"), {" 2", " 1", " 7"}));
    EXPECT_EQ(bytesOf(f.at("copy.bin")), " 2\r\n 1\r\n 7\r\n");
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
    EXPECT_TRUE(fs::is_fifo(f.at("fifo")) && fs::is_directory(f.at("dir")));
}

// The lock held by a running command is refused by the end-to-end tests; here the stale ones.
TEST(Files, TheWorkFilesLockOfAnEndedProcessIsTakenOverAnotherHostsRespected) {
    Folder f;
    platform::FileLock first;
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
