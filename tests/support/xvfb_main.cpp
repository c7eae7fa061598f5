// The entry point of the tests that need a real X server: starts Xvfb on a display of its own
// choosing (no TCP listener), runs the tests on Qt's xcb platform and stops Xvfb again. Where
// Xvfb is not installed the tests skip (see xServerRunning()).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/xvfb.h"

namespace {

bool running = false;

std::string findXvfb() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = dirs.find(':', start);
        const std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
        const auto candidate = std::filesystem::path(dir.empty() ? "." : dir) / "Xvfb";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return {};
}

// Starts Xvfb with -displayfd, which writes the display number it took once it accepts clients.
pid_t startXvfb(const std::string& xvfb, std::string& display) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
                "-nolisten", "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return -1;
    }
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    display = ":" + number;
    return pid;
}

}  // namespace

namespace testing_support {
bool xServerRunning() {
    return running;
}
}  // namespace testing_support

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    pid_t xvfb = -1;
    const std::string program = findXvfb();
    // Listing the tests needs no X server.
    if (!GTEST_FLAG_GET(list_tests) && !program.empty()) {
        std::string display;
        xvfb = startXvfb(program, display);
        if (xvfb > 0) {
            ::setenv("DISPLAY", display.c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            running = true;
        }
    }
    if (!running) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int rc = 0;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    if (xvfb > 0) {
        ::kill(xvfb, SIGTERM);
        ::waitpid(xvfb, nullptr, 0);
    }
    return rc;
}
