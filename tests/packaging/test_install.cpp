// The installed copy: the .deb made by CPack from the install rules, unpacked under a folder of
// its own and run with the source and build trees out of reach (a private mount namespace hides
// them under an empty folder), so that the programs can only use what was installed.
#include "e2e/programs.h"

namespace {

using namespace e2e;

std::string inQuotes(const fs::path& p) {
    return "'" + p.string() + "'";
}

TEST(Installed, DebianPackageUnpackedAnywhere) {
    TempFolder dir("krn-install");
    fs::create_directories(dir.path / "home/.config/krnsetup");
    // An empty access code: krnsetup opens at level 0 without asking.
    dir.file("home/.config/krnsetup/krnsetup.conf", "[Main]\nStrumento=\n");
    // Whether the trees can be hidden here (user namespaces, or root).
    const bool hide = run("unshare -rm true").exitCode == 0;
    // A program of the installed copy, with a home of its own, the trees hidden where possible.
    const auto installed = [&](const std::string& program, const std::string& args) {
        std::string env = "env -i PATH=/usr/bin:/bin HOME=" + inQuotes(dir.path / "home") +
                          " QT_QPA_PLATFORM=offscreen ";
        // The sanitizer build's settings go along.
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* v = std::getenv(name)) env += std::string(name) + "='" + v + "' ";
        const std::string command = env + "timeout 120 " + inQuotes(program) + " " + args;
        // The build tree first: it may lie inside the source tree.
        return run(!hide ? command
                         : "unshare -rm sh -c 'mount -t tmpfs tmpfs " KRN_BUILD_TREE
                           " && mount -t tmpfs tmpfs " KRN_SOURCE_TREE " && exec \"$0\" \"$@\"' " +
                               command);
    };

    const fs::path packages = dir.path / "packages", root = dir.path / "root";
    Result r =
        run("cpack --config " KRN_BUILD_TREE "/CPackConfig.cmake -G DEB -B " + inQuotes(packages));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    fs::path deb;
    for (const auto& e : fs::directory_iterator(packages))
        if (e.path().extension() == ".deb") deb = e.path();
    ASSERT_FALSE(deb.empty()) << r.out;
    r = run("dpkg-deb -f " + inQuotes(deb) + " Package Depends");
    EXPECT_EQ(r.out.rfind("Package: krnsetup\nDepends: ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("libqt6widgets6"), std::string::npos) << r.out;
    // Stripped programs, the symbols apart: a small package (a sanitizer's instrumentation makes
    // the programs of that build several times larger).
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(fs::file_size(deb), 10u * 1024 * 1024) << deb;
#endif
    // A distribution's checker finds no error in it (where it is installed).
    if (run("command -v lintian").exitCode == 0) {
        r = run("lintian --fail-on error " + inQuotes(deb));
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_EQ(r.out.find("\nE: "), std::string::npos) << r.out;
    }
    // Unpacked under a folder of its own rather than /, the package still runs.
    ASSERT_EQ(run("dpkg-deb -x " + inQuotes(deb) + " " + inQuotes(root)).exitCode, 0);
    const std::string bin = (root / "usr/bin/").string();
    const fs::path share = root / "usr/share";
    // The programs, stripped, and what a distribution expects beside them.
    for (const char* p : {"krnctl", "krnsim", "krnsetup"})
        EXPECT_EQ(run("readelf -S " + inQuotes(bin + p) + " | grep -c debug_info").out, "0\n") << p;
    for (const fs::path& f :
         {share / "applications/krnsetup.desktop",
          share / "icons/hicolor/scalable/apps/krnsetup.svg", share / "man/man1/krnctl.1.gz",
          share / "man/man1/krnsim.1.gz", share / "man/man1/krnsetup.1.gz",
          share / "doc/krnsetup/copyright", share / "doc/krnsetup/changelog.gz",
          share / "doc/krnsetup/README.md", share / "doc/krnsetup/docs/cli.md",
          share / "bash-completion/completions/krnctl",
          root / "usr/lib/udev/rules.d/70-krnsetup.rules"})
        EXPECT_TRUE(fs::is_regular_file(f)) << f;
    const fs::path data = share / "krnsetup" / "data";
    EXPECT_EQ(slurp(data / "TestoIng.asm"), slurp(fs::path(KRN_SOURCE_TREE) / "data/TestoIng.asm"));

    r = installed(bin + "krnctl", "--simulate p36e51 --instrument 'USB: QX3SIM0001' identify");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out.rfind("Instrument:                 KRN-36\n", 0), 0u) << r.out;
    // The translation of a language comes from the per-user folder, which the installed data
    // filled.
    r = installed(bin + "krnctl", "texts export --language 1");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    const fs::path perUser = dir.path / "home/.local/share/krnsetup";
    EXPECT_EQ(slurp(perUser / "TestoIng.asm"), slurp(data / "TestoIng.asm"));
    EXPECT_EQ(slurp(perUser / "TradIng.txt"), slurp(data / "TradIng.txt"));
    r = installed(bin + "krnsetup", "--simulate --quit-after 300");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(fs::exists(perUser / "simulated-serial.nvram")) << r.out;

    // One version, the build's, from all three.
    std::string first;
    for (const char* p : {"krnctl", "krnsim", "krnsetup"}) {
        r = installed(bin + p, "--version");
        EXPECT_EQ(r.exitCode, 0) << p << r.out;
        EXPECT_EQ(r.out.rfind(std::string(p) + " ", 0), 0u) << r.out;
        if (first.empty()) first = r.out.substr(r.out.find(' '));
        EXPECT_EQ(r.out.substr(r.out.find(' ')), first) << p;
    }
    // The completion knows the subcommands and their own subcommands; the manual lists a group
    // with its commands below it, and the exit codes.
    const std::string completion = slurp(share / "bash-completion/completions/krnctl");
    for (const char* word : {" identify ", " export ", "\"memory export\")", "--yes"})
        EXPECT_NE(completion.find(word), std::string::npos) << word;
    EXPECT_THAT(run("gzip -dc " + inQuotes(share / "man/man1/krnctl.1.gz")).out,
                AllOf(HasSubstr("\nmemory\n"), HasSubstr("\n    export "),
                      HasSubstr("Exit codes: 0 done")));
}

}  // namespace
