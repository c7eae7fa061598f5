// The installed copy: cmake --install into a temporary prefix and the .deb made by CPack, each
// run with the source and build trees out of reach (a private mount namespace hides them under
// an empty folder), so that the programs can only use what was installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/programs.h"

namespace {

namespace fs = std::filesystem;
using e2e::Result;
using e2e::run;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("krn_install_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "home/.config/krnsetup");
        // An empty access code: krnsetup opens at level 0 without asking.
        std::ofstream(dir_ / "home/.config/krnsetup/krnsetup.conf") << "[Main]\nStrumento=\n";
        // Whether the trees can be hidden here (user namespaces, or root).
        hide_ = run("unshare -rm true").exitCode == 0;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // A program of the installed copy, with a home of its own, the trees hidden where possible.
    Result installed(const fs::path& program, const std::string& args) const {
        std::string env = "env -i PATH=/usr/bin:/bin HOME=" + quoted(dir_ / "home") +
                          " QT_QPA_PLATFORM=offscreen ";
        // The sanitizer build's settings go along.
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* v = std::getenv(name)) env += std::string(name) + "='" + v + "' ";
        env += "timeout 120 ";
        std::string command = env + quoted(program) + " " + args;
        if (hide_)
            // The build tree first: it may lie inside the source tree.
            command = "unshare -rm sh -c 'mount -t tmpfs tmpfs " KRN_BUILD_TREE
                      " && mount -t tmpfs tmpfs " KRN_SOURCE_TREE " && exec \"$0\" \"$@\"' " +
                      command;
        return run(command);
    }

    // The checks every installed copy must pass: identify over the simulated USB instrument,
    // the per-user folder seeded from the installed data, krnsetup started offscreen.
    void checkCopy(const fs::path& bin, const fs::path& share) {
        for (const char* p : {"krnctl", "krnsim", "krnsetup"})
            EXPECT_TRUE(fs::exists(bin / p)) << p;
        const fs::path data = share / "krnsetup" / "data";
        EXPECT_EQ(readFile(data / "TestoIng.asm"),
                  readFile(fs::path(KRN_SOURCE_TREE) / "data/TestoIng.asm"));
        EXPECT_TRUE(fs::exists(share / "applications" / "krnsetup.desktop"));
        EXPECT_TRUE(fs::exists(share / "icons/hicolor/scalable/apps/krnsetup.svg"));

        Result r =
            installed(bin / "krnctl", "--simulate p36e51 --instrument 'USB: QX3SIM0001' identify");
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_EQ(r.out.rfind("Instrument:                 KRN-36\n", 0), 0u) << r.out;

        // The translation of a language comes from the per-user folder, which the installed
        // data filled.
        r = installed(bin / "krnctl", "texts export --language 1");
        EXPECT_EQ(r.exitCode, 0) << r.out;
        const fs::path perUser = dir_ / "home/.local/share/krnsetup";
        EXPECT_EQ(readFile(perUser / "TestoIng.asm"), readFile(data / "TestoIng.asm"));
        EXPECT_EQ(readFile(perUser / "TradIng.txt"), readFile(data / "TradIng.txt"));

        r = installed(bin / "krnsetup", "--simulate --quit-after 300");
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_TRUE(fs::exists(perUser / "simulated-serial.nvram")) << r.out;

        // One version, the build's, from all three.
        std::string versions;
        for (const char* p : {"krnctl", "krnsim", "krnsetup"}) {
            r = installed(bin / p, "--version");
            EXPECT_EQ(r.exitCode, 0) << p << r.out;
            EXPECT_EQ(r.out.rfind(std::string(p) + " ", 0), 0u) << r.out;
            versions += r.out.substr(r.out.find(' ')) + "|";
        }
        const std::string one = versions.substr(0, versions.find('|') + 1);
        EXPECT_EQ(versions, one + one + one);

        // What a distribution expects beside the programs.
        const fs::path root = share.parent_path();
        for (const fs::path& f :
             {share / "man/man1/krnctl.1.gz", share / "man/man1/krnsim.1.gz",
              share / "man/man1/krnsetup.1.gz", share / "doc/krnsetup/copyright",
              share / "doc/krnsetup/changelog.gz", share / "doc/krnsetup/README.md",
              share / "doc/krnsetup/docs/cli.md", share / "bash-completion/completions/krnctl",
              root / "lib/udev/rules.d/70-krnsetup.rules"})
            EXPECT_TRUE(fs::is_regular_file(f)) << f;
        // The completion knows the subcommands and their own subcommands.
        const std::string completion = readFile(share / "bash-completion/completions/krnctl");
        for (const char* word : {" identify ", " export ", "\"memory export\")", "--yes"})
            EXPECT_NE(completion.find(word), std::string::npos) << word;
        r = run("gzip -dc " + quoted(share / "man/man1/krnctl.1.gz"));
        EXPECT_NE(r.out.find("\nmemory\n"), std::string::npos);  // a group, its commands below
        EXPECT_NE(r.out.find("\n    export "), std::string::npos);
        EXPECT_NE(r.out.find("Exit codes: 0 done"), std::string::npos);
    }

    fs::path dir_;
    bool hide_ = false;
};

TEST_F(Installed, CmakeInstallIntoATemporaryPrefix) {
    const fs::path prefix = dir_ / "prefix";
    Result r = run("cmake --install " KRN_BUILD_TREE " --prefix " + quoted(prefix));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    checkCopy(prefix / "bin", prefix / "share");
}

TEST_F(Installed, DebianPackageUnpackedAnywhere) {
    const fs::path packages = dir_ / "packages", root = dir_ / "root";
    Result r =
        run("cpack --config " KRN_BUILD_TREE "/CPackConfig.cmake -G DEB -B " + quoted(packages));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    fs::path deb;
    for (const auto& e : fs::directory_iterator(packages))
        if (e.path().extension() == ".deb") deb = e.path();
    ASSERT_FALSE(deb.empty()) << r.out;
    r = run("dpkg-deb -f " + quoted(deb) + " Package Depends");
    EXPECT_EQ(r.out.rfind("Package: krnsetup\nDepends: ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("libqt6widgets6"), std::string::npos) << r.out;
    // Stripped programs, the symbols apart: a small package (a sanitizer's instrumentation makes
    // the programs of that build several times larger).
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(fs::file_size(deb), 10u * 1024 * 1024) << deb;
#endif
    // A distribution's checker finds no error in it (where it is installed).
    if (run("command -v lintian").exitCode == 0) {
        r = run("lintian --fail-on error " + quoted(deb));
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_EQ(r.out.find("\nE: "), std::string::npos) << r.out;
    }
    // Unpacked under a folder of its own rather than /, the package still runs.
    ASSERT_EQ(run("dpkg-deb -x " + quoted(deb) + " " + quoted(root)).exitCode, 0);
    checkCopy(root / "usr/bin", root / "usr/share");
    for (const char* p : {"krnctl", "krnsim", "krnsetup"})
        EXPECT_EQ(run("readelf -S " + quoted(root / "usr/bin" / p) + " | grep -c debug_info").out,
                  "0\n")
            << p;
}

}  // namespace
