#pragma once
// krnsim and krnctl as separate processes: running a command line, and a krnsim process with the
// endpoints it announces.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace e2e {

struct Result {
    int exitCode;
    std::string out;
};

// Runs a command line through the shell and collects its stdout (stderr joins it).
inline Result run(const std::string& command) {
    Result r{-1, {}};
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 512> buf;
    while (std::fgets(buf.data(), buf.size(), p)) r.out += buf.data();
    int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
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

// A krnsim process with its announced endpoints.
class Krnsim {
public:
    explicit Krnsim(std::vector<std::string> args) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        args.insert(args.begin(), KRNSIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, KRNSIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
        readUntilReady();
    }
    ~Krnsim() {
        stop();
        if (out_ >= 0) ::close(out_);
    }
    int stop() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            std::string line = text.substr(start, end - start);
            std::size_t colon = line.find(": ");
            if (colon != std::string::npos) values_[line.substr(0, colon)] = line.substr(colon + 2);
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    pid_t pid_ = -1;
    int out_ = -1;
    std::map<std::string, std::string> values_;
};

inline const std::string krnctl = KRNCTL_PATH;

}  // namespace e2e
