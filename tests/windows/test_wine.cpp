// krnctl.exe (the MinGW cross build) under Wine against a Linux krnsim: over loopback UDP, over a
// COM port that Wine maps to krnsim's pseudo-terminal, and without FTD2XX.DLL. Skipped where Wine
// or the .exe is absent, unless KRN_REQUIRE_WINE=1 (CI) turns that into a failure. Every Wine
// call has a time limit, so that a broken Wine cannot hang the suite.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "e2e/programs.h"

namespace {

namespace fs = std::filesystem;
using e2e::Krnsim;
using e2e::Result;
using e2e::run;

std::string exePath() {
    if (const char* e = std::getenv("KRN_WINDOWS_KRNCTL"); e && *e) return e;
    return KRN_WINDOWS_KRNCTL;
}

// The Windows program's output with its CR LF line ends as LF.
std::string unixLines(std::string s) {
    std::erase(s, '\r');
    return s;
}

class Wine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const bool required = std::getenv("KRN_REQUIRE_WINE") != nullptr;
        if (run("command -v wine").exitCode != 0) {
            problem_ = "wine is not installed";
        } else if (!fs::exists(exePath())) {
            problem_ = exePath() + " is not built (scripts/build-windows.sh)";
        } else {
            ::setenv("WINEPREFIX", KRN_WINE_PREFIX, 1);
            ::setenv("WINEDEBUG", "-all", 1);
            ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);  // no Mono or Gecko prompts
            if (!fs::exists(fs::path(KRN_WINE_PREFIX) / "system.reg")) {
                Result r = run("timeout 300 wineboot --init");
                if (r.exitCode != 0) problem_ = "wineboot --init failed:\n" + r.out;
            }
            // Wine's server and its services start with the first Wine program and outlive it:
            // started here on /dev/null, they do not hold each call's output open until they end
            // (about two seconds a call), and they stay for the next test.
            run("wineserver -p30 </dev/null >/dev/null 2>&1; timeout 120 wine " + exePath() +
                " --version </dev/null >/dev/null 2>&1");
        }
        fatal_ = required && !problem_.empty();
    }

    void SetUp() override {
        if (fatal_) FAIL() << problem_;
        if (!problem_.empty()) GTEST_SKIP() << problem_;
    }

    // krnctl.exe with these arguments, run in the test's folder. Files are named relative to it:
    // on Windows a word that begins with "/" is an option.
    Result exe(const std::string& args) const {
        return wine("timeout 120 wine " + exePath(), args);
    }
    // A Wine command line run in the test's folder. Wine's own start-up failures ("wine: ..."
    // before the program runs, seen once right after a prefix was made) get one more try.
    Result wine(const std::string& program, const std::string& args) const {
        const std::string command = "cd " + dir_.string() + " && " + program + " " + args;
        Result r = run(command);
        if (r.exitCode != 0 && r.out.rfind("wine: ", 0) == 0) r = run(command);
        r.out = unixLines(r.out);
        return r;
    }
    static Result linux(const std::string& args) { return run(e2e::krnctl + " " + args); }

    const e2e::TempFolder folder_{"krn-wine"};  // the test's folder
    const fs::path dir_ = folder_.path;
    static inline std::string problem_;
    static inline bool fatal_ = false;
};

// The help lists the commands (each registers itself, also in the static Windows build); a path
// that begins with "/" is an argument, as on Linux; a PNG is refused before the display is read;
// the zip holds what a Windows user unpacks.
TEST_F(Wine, HelpSlashPathsPngAndTheZip) {
    Result r = exe("--help");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("krnctl - service and set-up commands for KRN Visual instruments"),
              std::string::npos)
        << r.out;
    for (const char* command : {"identify", "nvram", "backup", "restore", "ports", "list"})
        EXPECT_NE(r.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    const std::string profile = "/krn_wine_slash_" + std::to_string(::getpid()) + ".ini";
    r = exe("profile new --model 0 --name Slash -o " + profile);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    r = exe("profile show " + profile);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Slash"), std::string::npos) << r.out;
    std::error_code ec;
    fs::remove(fs::path(KRN_WINE_PREFIX) / "drive_c" / profile.substr(1), ec);
    r = exe("--instrument 'IP: 127.0.0.1:9' screen -o x.png");
    EXPECT_EQ(r.exitCode, 2) << r.out;
    EXPECT_EQ(r.out, "krnctl: this build saves the picture as FILE.bmp only (no PNG encoder)\n");
    r = exe("--version");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    // The same version number (the commit may differ: the two builds are made apart).
    const auto number = [](const std::string& v) { return v.substr(0, v.find_first_of(" \n", 7)); };
    EXPECT_EQ(number(r.out), number(linux("--version").out));

    const fs::path build = fs::path(exePath()).parent_path().parent_path().parent_path();
    fs::path zip;
    for (const auto& e : fs::directory_iterator(build, ec))
        if (e.path().extension() == ".zip") zip = e.path();
    ASSERT_FALSE(zip.empty()) << "no zip in " << build;
    r = run("unzip -Z1 '" + zip.string() + "'");
    const std::string folder = zip.stem().string() + "/";
    for (const char* f :
         {"krnctl.exe", "README.md", "LICENSE", "data/TestoIng.asm", "data/Font8x10.asm"})
        EXPECT_NE(r.out.find(folder + f + "\n"), std::string::npos) << f << "\n" << r.out;
}

// Over the Ethernet channel: the same answers as the Linux build, command by command; what the
// Windows build writes the Linux build reads; a backup is the Linux build's file byte for byte,
// and restoring it undoes a change.
TEST_F(Wine, UdpLoopbackAnswersWritesAndBacksUpLikeTheLinuxBuild) {
    Krnsim sim({"--profile", "p36e51", "--udp", "127.0.0.1:0", "--module-port", "0"});
    const std::string at = "--instrument 'IP: 127.0.0.1:" + sim.port("udp data") + "' ";
    for (const std::string& command :
         {std::string("identify"), std::string("--json identify"), std::string("name"),
          std::string("counter"), std::string("nvram read 0x100 32")}) {
        Result w = exe(at + command);
        EXPECT_EQ(w.exitCode, 0) << command << "\n" << w.out;
        EXPECT_EQ(w.out, linux(at + command).out) << command;
    }
    Result r = exe(at + "nvram write 0x5000 0x12 0x34 0xAB");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    r = exe(at + "nvram read 0x5000 3");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("12 34 AB"), std::string::npos) << r.out;
    EXPECT_EQ(r.out, linux(at + "nvram read 0x5000 3").out);

    r = exe(at + "backup windows.ini");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "backup of KRN-36 written to windows.ini\n");
    EXPECT_EQ(linux(at + "backup " + (dir_ / "linux.ini").string()).exitCode, 0);
    ASSERT_TRUE(fs::exists(dir_ / "windows.ini")) << r.out;
    EXPECT_EQ(e2e::slurp(dir_ / "windows.ini"), e2e::slurp(dir_ / "linux.ini"));
    EXPECT_EQ(exe(at + "name Other").exitCode, 0);
    EXPECT_EQ(exe(at + "name").out, "Other\n");
    r = exe(at + "--yes restore windows.ini --config");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(linux(at + "name").out, "KRN-36\n");
}

// COM5 in Wine's device folder points at krnsim's pseudo-terminal: the port is listed and
// "COM: 5" answers from the simulator.
TEST_F(Wine, ComPortMappedToThePseudoTerminal) {
    Krnsim sim({"--profile", "p36e51", "--serial", "--udp", "127.0.0.1:0", "--module-port", "0"});
    const fs::path com = fs::path(KRN_WINE_PREFIX) / "dosdevices" / "com5";
    std::error_code ec;
    fs::remove(com, ec);
    fs::create_symlink(sim.value("serial"), com);

    Result r = exe("ports");
    EXPECT_NE(r.out.find("  COM: 5  COM5  Communication port\n"), std::string::npos) << r.out;
    r = exe("list --discovery-address 127.0.0.1 --discovery-port " + sim.port("udp module"));
    EXPECT_NE(r.out.find("COM: 5"), std::string::npos) << r.out;

    r = exe("--instrument 'COM: 5' identify");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, linux("--instrument 'COM: " + sim.value("serial") + "' identify").out);
    r = exe("--instrument 'COM: 5' nvram write 0x5000 0x55");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(exe("--instrument 'COM: 5' nvram read 0x5000 1").out,
              linux("--instrument 'COM: " + sim.value("serial") + "' nvram read 0x5000 1").out);
    // A port Wine does not map opens nothing.
    r = exe("--instrument 'COM: 12' identify");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    fs::remove(com, ec);
}

// Without the D2XX driver, USB says why once, and every other channel still works; the
// in-process simulated USB instrument needs no driver. Then through the driver's stand-in.
TEST_F(Wine, UsbWithoutTheD2xxDriverAndThroughItsStandIn) {
    const std::string simulated = "--simulate p36e51 --instrument 'USB: QX3SIM0001' ";
    Result r = exe("--instrument 'USB: QX3000123' identify");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_EQ(r.out.find("krnctl: FTD2XX.DLL was not found: USB instruments need the FTDI D2XX "
                         "driver installed (serial ports and Ethernet work without it).\n"),
              0u)
        << r.out;
    r = exe(simulated + "identify");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, linux(simulated + "identify").out);

    // FTD2XX.DLL beside the .exe is the tests' stand-in on top of the simulator: the whole D2XX
    // adapter (list, open, set-up, reads and writes, queue status, EEPROM) against one instrument.
    // build-windows/src/cli/krnctl.exe -> build-windows/tests/windows/FTD2XX.DLL
    const fs::path dll =
        fs::path(exePath()).parent_path().parent_path().parent_path() / "tests/windows/FTD2XX.DLL";
    ASSERT_TRUE(fs::exists(dll)) << dll;
    fs::copy_file(exePath(), dir_ / "krnctl.exe");
    fs::copy_file(dll, dir_ / "FTD2XX.DLL");
    auto near = [&](const std::string& args) { return wine("timeout 120 wine krnctl.exe", args); };
    r = near("ports");
    EXPECT_NE(r.out.find("USB (FTDI) devices:\n  USB: QX3SIM0002\n"), std::string::npos) << r.out;
    r = near("--instrument 'USB: QX3SIM0002' identify");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, linux(simulated + "identify").out);
    r = near("--instrument 'USB: QX3SIM0002' nvram write 0x5000 0x12 0x34");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    r = near("--instrument 'USB: QX3SIM0002' nvram read 0x100 32");
    EXPECT_EQ(r.out, linux(simulated + "nvram read 0x100 32").out);
    // The chip's EEPROM record read, changed and programmed through the DLL.
    r = near("--yes usb set-ids QX3SIM0002");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "Unplug then plug the instrument for identification.\n");
}

}  // namespace
