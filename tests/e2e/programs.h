#pragma once
// krnsim and krnctl as separate processes: running a command line, and a krnsim process with the
// endpoints it announces.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace e2e {

// The programs started here wait out an instrument restart fifty times faster: krnsim restarts in
// a few hundred milliseconds (--restart-ms) instead of the real instrument's 15 s.
inline const bool kShortRestartWaits = ::setenv("KRN_RESTART_WAIT_SCALE", "0.02", 0) == 0;

struct Result {
    int exitCode;
    std::string out;
};

// Runs a command line through the shell and collects its stdout (stderr joins it).
inline Result run(const std::string& command) {
    Result r{-1, {}};
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    char buf[512];
    while (p && std::fgets(buf, sizeof buf, p)) r.out += buf;
    if (const int status = p ? ::pclose(p) : -1; WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    return r;
}

// Runs a command line, checks the exit code it ends with, and gives its output.
inline std::string outputOf(const std::string& command, int exitCode) {
    const Result r = run(command);
    EXPECT_EQ(r.exitCode, exitCode) << command << "\n" << r.out;
    return r.out;
}

// What a command told, without the lines every command may add: the note on the instrument's
// clock when it opens one, and the closing line of a failed command (tested on their own).
inline std::string told(const Result& r) {
    std::string out = r.out;
    const std::string clock = "krnctl: the instrument's clock is ";
    if (out.rfind(clock, 0) == 0) out.erase(0, out.find('\n') + 1);
    if (r.exitCode == 1 || r.exitCode == 3 || r.exitCode == 4) {
        const auto last = out.rfind('\n', out.size() >= 2 ? out.size() - 2 : 0);
        const auto start = last == std::string::npos ? 0 : last + 1;
        if (out.compare(start, 8, "krnctl: ") == 0) out.erase(start);
    }
    return out;
}

// Starts `program` with these arguments, its input and output as `actions` set them.
inline pid_t spawn(const char* program, std::vector<std::string> args,
                   posix_spawn_file_actions_t& actions) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Starts krnctl with these arguments, without input, its output into the file `output`.
inline pid_t startKrnctl(const std::vector<std::string>& args, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    return spawn(KRNCTL_PATH, args, actions);
}

// Waits for a started program to end: its exit code, -1 when it did not end by itself.
inline int exitCodeOf(pid_t pid) {
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// A krnsim process with its announced endpoints ("key: value" lines up to "ready").
class Krnsim {
public:
    explicit Krnsim(const std::vector<std::string>& args) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        pid_ = spawn(KRNSIM_PATH, args, actions);
        ::close(fds[1]);
        out_ = fds[0];
        readUntilReady();
    }
    ~Krnsim() {
        stop();
        if (out_ >= 0) ::close(out_);
    }
    int stop() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
        const int code = exitCodeOf(pid_);
        pid_ = -1;
        return code;
    }
    std::string value(const std::string& key) const {
        auto it = values_.find(key);
        return it == values_.end() ? std::string() : it->second;
    }
    std::string port(const std::string& key) const {
        std::string v = value(key);
        return v.substr(v.rfind(':') + 1);
    }

private:
    void readUntilReady() {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (text.find("ready\n") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buf[256];
            ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) break;
            text.append(buf, static_cast<std::size_t>(n));
        }
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (const auto colon = line.find(": "); colon != std::string::npos)
                values_[line.substr(0, colon)] = line.substr(colon + 2);
    }
    pid_t pid_ = -1;
    int out_ = -1;
    std::map<std::string, std::string> values_;
};

inline const std::string krnctl = KRNCTL_PATH;

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ContainsRegex;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// A folder of the test's own under the temporary folder, removed with its content at the end.
struct TempFolder {
    explicit TempFolder(const std::string& name)
        : path(fs::temp_directory_path() /
               (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(count++))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::string str() const { return path.string(); }
    // Writes a file of the folder with this content; its path.
    std::string file(const std::string& name, const std::string& text) const {
        std::ofstream(path / name, std::ios::binary) << text;
        return (path / name).string();
    }
    static inline int count = 0;
    fs::path path;
};

inline std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

#ifdef KRN_SHIPPED_DATA
// The data files that come with the program (texts, fonts), as a program folder holds them.
inline void copyShippedData(const fs::path& to) {
    for (const auto& e : fs::directory_iterator(KRN_SHIPPED_DATA))
        fs::copy_file(e.path(), to / e.path().filename(), fs::copy_options::overwrite_existing);
}
#endif

// krnctl on that instrument with that program folder, ready for a command's arguments.
inline std::string krnctlOn(const std::string& instrument, const std::string& folder = "") {
    return krnctl + (folder.empty() ? "" : " --folder " + folder) + " --instrument '" + instrument +
           "' ";
}

// The line a command ends with when it stopped at a file.
inline std::string fileClosing(const std::string& path) {
    return "krnctl: " + path +
           " stopped at a file; nothing was written to the instrument: correct the file named "
           "above and run the command again.\n";
}

// A command line, the exit code it must end with and (unless empty) its whole output.
struct Run {
    std::string args;
    int exitCode;
    std::string output;
};

// Runs each after prefix; `toldOnly` compares what the command told (see told()).
inline void expectRuns(const std::string& prefix, const std::vector<Run>& runs,
                       bool toldOnly = false) {
    for (const Run& c : runs) {
        const Result r = run(prefix + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.out;
        if (!c.output.empty()) {
            EXPECT_EQ(toldOnly ? told(r) : r.out, c.output) << c.args;
        }
    }
}

}  // namespace e2e
