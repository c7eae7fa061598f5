// krnsetup's command line, run as a program: --help, also without a display, and an unknown
// option (the other errors of the command line are told the same way).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
};

Outcome run(const std::string& arguments,
            const std::string& environment = "QT_QPA_PLATFORM=offscreen") {
    const std::string command =
        "env " + environment + " " + std::string(KRNSETUP_PATH) + " " + arguments + " 2>&1";
    Outcome r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) r.out += buffer.data();
    const int status = ::pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(KrnsetupProgram, HelpWithoutADisplayAndAnUnknownOption) {
    // --help needs no window system: no display, and a platform that would need one.
    const Outcome help = run("/FUL -h", "-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb");
    EXPECT_EQ(help.exitCode, 0) << help.out;
    EXPECT_EQ(help.out.rfind("Usage: krnsetup [/FUL] [/CFG] [/ZENKO] [options]\n", 0), 0u);
    const Outcome wrong = run("/FUL --simulte");
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.out.find("krnsetup: unknown option --simulte\nTry 'krnsetup --help'.\n"),
              std::string::npos)
        << wrong.out;
}

}  // namespace
