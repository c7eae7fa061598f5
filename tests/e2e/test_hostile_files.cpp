// Files that cannot hurt: every reader of krnctl given an empty file, binary garbage, a folder, a
// FIFO, a link to /dev/zero, a 500 MB sparse file, a 20 MB line or UTF-16 text ends with a
// message and exit 4 within 5 s, and no frame reaches the instrument; writers refuse what is not
// a regular file and keep the earlier file when the disk is full; two runs that share a program
// folder never share its work files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/programs.h"
#include "support/hostile_files.h"

namespace fs = std::filesystem;
using e2e::krnctl;
using e2e::run;

namespace {

struct Folder {
    Folder() : path(fs::temp_directory_path() / ("krn_hostile_" + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
        for (const auto& e : fs::directory_iterator(KRN_DATA_DIR))
            fs::copy_file(e.path(), path / e.path().filename());
    }
    ~Folder() { fs::remove_all(path); }
    std::string at(const std::string& name) const { return (path / name).string(); }
    std::string file(const std::string& name, const std::string& text) const {
        hostile::write(at(name), text);
        return at(name);
    }
    fs::path path;
};

std::string textOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The frames a trace holds (its header line aside).
bool framesIn(const std::string& trace) {
    const std::string t = textOf(trace);
    return t.find(" TX ") != std::string::npos || t.find(" RX ") != std::string::npos;
}

std::string krnctlIn(const Folder& f, const std::string& trace, const std::string& instrument) {
    return "env -u KRN_INSTRUMENT XDG_CONFIG_HOME=" + f.at("config") + " timeout 5 " + krnctl +
           " --folder " + f.path.string() + " --yes " + (trace.empty() ? "" : "--trace " + trace) +
           " " + instrument + " ";
}

const char* const kSimulated = "--simulate p36e51 --instrument 'USB: QX3SIM0001'";

TEST(HostileFiles, EveryReaderRefusesEveryHostileFileWithoutAFrame) {
    Folder f;
    const std::string profile = f.file("p.ini", "[Profilo]\r\nTipoElettroPressa=0\r\n");
    const std::string firmware = f.file("good.atm", "4096:1:2\r\n");
    struct Reader {
        std::string name;
        std::string command;  // the hostile file's path follows it unless it lies in the folder
        std::string file;     // in the program folder, or a name of its own
        bool inFolder = false;
        bool twice = false;  // the path is given twice (backup diff)
    };
    const std::string format = "format --profile " + profile;
    const Reader readers[] = {
        {"INI restore", "restore --config", "backup.ini"},
        {"backup diff", "backup diff", "a.ini", false, true},
        {"Memory.asm", "memory import", "Memory.asm"},
        {"job copy", "jobs restore", "CopiaLavori.bin"},
        {"firmware", "firmware update", "fw.atm"},
        {"loader block", "firmware update " + firmware, "blockKRNV1.asm", true},
        {"profile", "format --profile", "profile.ini"},
        {"image file", "image show", "RamSetup.asm"},
        {"display texts", "send-text --languages Ita,Ing", "TestoIng.asm", true},
        {"menus", format, "MenuIta.asm", true},
        {"translations", "texts check --language 1", "TradIng.txt"},
        {"fonts", format, "Font8x10.asm", true},
        {"serial-number list", "sn list", "SNlist.txt", true},
    };
    const std::string trace = f.at("trace.txt");
    for (const Reader& r : readers) {
        for (const hostile::Kind& h : hostile::kinds()) {
            const std::string path = f.at(r.file);
            hostile::remove(path);
            h.make(path);
            fs::remove(trace);
            const auto start = std::chrono::steady_clock::now();
            const e2e::Result out =
                run(krnctlIn(f, trace, kSimulated) + r.command +
                    (r.inFolder ? "" : " " + path + (r.twice ? " " + path : "")));
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_EQ(out.exitCode, 4) << r.name << " / " << h.name << "\n" << out.out;
            EXPECT_NE(out.out.find(r.file), std::string::npos) << r.name << " / " << h.name;
            EXPECT_LT(took, std::chrono::seconds(5)) << r.name << " / " << h.name;
            EXPECT_FALSE(framesIn(trace)) << r.name << " / " << h.name << "\n" << textOf(trace);
            hostile::remove(path);
            if (fs::exists(fs::path(KRN_DATA_DIR) / r.file))
                fs::copy_file(fs::path(KRN_DATA_DIR) / r.file, path);
        }
    }
}

// A command whose writes fail as on a full disk (the process may not grow a file past 0 bytes).
std::string onFullDisk(const std::string& command) {
    return "sh -c \"trap '' XFSZ; ulimit -f 0; exec " + command + "\"";
}

TEST(HostileFiles, WritersKeepTheEarlierFileAndRefuseWhatIsNoFile) {
    Folder f;
    const std::string trace = f.at("trace.txt");
    // No trace here: on a full disk it could not be written either.
    const std::string k = krnctlIn(f, "", "--simulate p36e51 --instrument \\\"USB: QX3SIM0001\\\"");
    // A failed job copy keeps the earlier copy at its place.
    const std::string copy = f.file("jobs.bin", "earlier\r\n");
    e2e::Result r = run(onFullDisk(k + "jobs save " + copy));
    EXPECT_EQ(r.exitCode, 4) << r.out;
    EXPECT_EQ(textOf(copy), "earlier\r\n");
    // A picture that cannot be written is an error, not an empty "complete" file.
    r = run(onFullDisk(k + "--json screen -o " + f.at("X.png")));
    EXPECT_EQ(r.exitCode, 4) << r.out;
    EXPECT_EQ(r.out.find("\"Completa\":true"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(f.at("X.png")));
    // A FIFO (as /dev/full, a device) is never replaced by a file; the instrument is not opened.
    ::mkfifo(f.at("fifo").c_str(), 0600);
    for (const std::string command :
         {"backup ", "jobs save ", "memory export --to 10 -o ", "screen -o "}) {
        const std::string target = command == "screen -o " ? f.at("fifo.png") : f.at("fifo");
        if (command == "screen -o ") ::mkfifo(target.c_str(), 0600);
        fs::remove(trace);
        r = run(krnctlIn(f, trace, kSimulated) + command + target);
        EXPECT_EQ(r.exitCode, 4) << command << r.out;
        EXPECT_NE(r.out.find("it is not a regular file"), std::string::npos) << command << r.out;
        EXPECT_TRUE(fs::is_fifo(target)) << command;
        EXPECT_FALSE(framesIn(trace)) << command;
    }
}

// A format or send text in a program folder whose work files another command of this computer
// holds is refused before it sends a frame, and the hand-built image of the folder is left alone.
TEST(HostileFiles, ACommandInAFolderInUseIsRefusedBeforeAFrame) {
    Folder f;
    const std::string own = f.file("RamSetup.asm", "1\r\n");
    e2e::Krnsim sim({"--profile", "p36e51", "--serial"});
    const std::string k =
        krnctlIn(f, f.at("trace.txt"), "--instrument 'COM: " + sim.value("serial") + "'");
    ASSERT_EQ(run(k + "profile new --model 0 --name 'LINE A' -o " + f.at("p.ini")).exitCode, 0);
    // The lock of a running process of this computer: this test's own.
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    f.file("krnsetup.lock", std::string(host) + " " + std::to_string(::getpid()) + "\n");
    for (const std::string& command :
         {"format --profile " + f.at("p.ini"), std::string("send-text --languages Ing,Ita")}) {
        fs::remove(f.at("trace.txt"));
        const e2e::Result r = run(k + command);
        EXPECT_EQ(r.exitCode, 3) << command << "\n" << r.out;
        EXPECT_NE(r.out.find("The program folder is in use by another command (PID " +
                             std::to_string(::getpid())),
                  std::string::npos)
            << r.out;
        EXPECT_FALSE(framesIn(f.at("trace.txt"))) << command;
    }
    EXPECT_EQ(textOf(own), "1\r\n");
    for (const auto& e : fs::directory_iterator(f.path))
        EXPECT_EQ(e.path().filename().string().find("RamSetup-"), std::string::npos);
}

}  // namespace
