// The entry point of the tests that need a real X server: starts Xvfb on a display of its own
// choosing (no TCP listener), runs the tests on Qt's xcb platform and stops Xvfb again. Where
// Xvfb is not installed the tests skip (see xServerRunning()).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <string>

#include "support/xvfb.h"

namespace {

bool running = false;

// Starts Xvfb (found on the PATH) with -displayfd, which writes the display number it took once
// it accepts clients; -1 where it is not installed or does not start.
pid_t startXvfb(std::string& display) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
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
    // Listing the tests needs no X server.
    if (!GTEST_FLAG_GET(list_tests)) {
        std::string display;
        xvfb = startXvfb(display);
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
