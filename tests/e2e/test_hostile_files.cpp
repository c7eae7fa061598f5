// Files that cannot hurt: every reader of krnctl given an empty file, binary garbage, a folder, a
// FIFO, a link to /dev/zero, a 500 MB sparse file, a 20 MB line or UTF-16 text ends with a
// message and exit 4 within 5 s, and no frame reaches the instrument; writers refuse what is not
// a regular file and keep the earlier file when the disk is full; a command in a program folder
// that another command holds is refused before its first frame, and two commands started together
// in one folder never mix their work.
#include <chrono>

#include "e2e/programs.h"
#include "support/hostile_files.h"

namespace {

using namespace e2e;

// A program folder with the data files of the program.
struct Folder : TempFolder {
    Folder() : TempFolder("krn-hostile") {
        for (const auto& e : fs::directory_iterator(KRN_DATA_DIR))
            fs::copy_file(e.path(), path / e.path().filename());
    }
};

// The frames a trace holds (its header line aside).
bool framesIn(const std::string& trace) {
    const std::string t = slurp(trace);
    return t.find(" TX ") != std::string::npos || t.find(" RX ") != std::string::npos;
}

std::string krnctlIn(const Folder& f, const std::string& trace, const std::string& instrument) {
    return "env -u KRN_INSTRUMENT XDG_CONFIG_HOME=" + (f / "config") + " timeout 5 " + krnctl +
           " --folder " + f.str() + " --yes " + (trace.empty() ? "" : "--trace " + trace) + " " +
           instrument + " ";
}

const char* const kSimulated = "--simulate p36e51 --instrument 'USB: QX3SIM0001'";

// Bounded memory: krnctl runs in 150 MB of address space; a reader that took a 500 MB file or a
// 20 MB line whole would fail here instead of refusing the file. (A sanitizer's shadow memory
// needs far more address space.)
#if defined(__SANITIZE_ADDRESS__)
const char* const kMemoryBound = "";
#else
const char* const kMemoryBound = "ulimit -v 300000; ";
#endif

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
    const std::string trace = (f / "trace.txt");
    for (const Reader& r : readers) {
        for (const hostile::Kind& h : hostile::kinds()) {
            const std::string path = (f / r.file);
            hostile::remove(path);
            h.make(path);
            fs::remove(trace);
            const auto start = std::chrono::steady_clock::now();
            const Result out = run(kMemoryBound + krnctlIn(f, trace, kSimulated) + r.command +
                                   (r.inFolder ? "" : " " + path + (r.twice ? " " + path : "")));
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_EQ(out.exitCode, 4) << r.name << " / " << h.name << "\n" << out.out;
            EXPECT_THAT(out.out, HasSubstr(r.file)) << r.name << " / " << h.name;
            EXPECT_LT(took, std::chrono::seconds(5)) << r.name << " / " << h.name;
            EXPECT_FALSE(framesIn(trace)) << r.name << " / " << h.name << "\n" << slurp(trace);
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
    const std::string trace = (f / "trace.txt");
    // No trace here: on a full disk it could not be written either.
    const std::string k = krnctlIn(f, "", "--simulate p36e51 --instrument \\\"USB: QX3SIM0001\\\"");
    // A failed job copy keeps the earlier copy at its place.
    const std::string copy = f.file("jobs.bin", "earlier\r\n");
    outputOf(onFullDisk(k + "jobs save " + copy), 4);
    EXPECT_EQ(slurp(copy), "earlier\r\n");
    // A picture that cannot be written is an error, not an empty "complete" file.
    EXPECT_THAT(outputOf(onFullDisk(k + "--json screen -o " + (f / "X.png")), 4),
                Not(HasSubstr("\"Completa\":true")));
    EXPECT_FALSE(fs::exists((f / "X.png")));
    // A FIFO (as /dev/full, a device) is never replaced by a file; the instrument is not opened.
    ::mkfifo((f / "fifo").c_str(), 0600);
    for (const std::string command :
         {"backup ", "jobs save ", "memory export --to 10 -o ", "screen -o "}) {
        const std::string target = command == "screen -o " ? (f / "fifo.png") : (f / "fifo");
        if (command == "screen -o ") ::mkfifo(target.c_str(), 0600);
        fs::remove(trace);
        EXPECT_THAT(outputOf(krnctlIn(f, trace, kSimulated) + command + target, 4),
                    HasSubstr("it is not a regular file"))
            << command;
        EXPECT_TRUE(fs::is_fifo(target)) << command;
        EXPECT_FALSE(framesIn(trace)) << command;
    }
}

// A format or send text in a program folder whose work files another command of this computer
// holds is refused before it sends a frame, and the hand-built image of the folder is left alone.
TEST(HostileFiles, ACommandInAFolderInUseIsRefusedBeforeAFrame) {
    Folder f;
    const std::string own = f.file("RamSetup.asm", "1\r\n");
    Krnsim sim({"--profile", "p36e51", "--serial"});
    const std::string k =
        krnctlIn(f, (f / "trace.txt"), "--instrument 'COM: " + sim.value("serial") + "'");
    ASSERT_EQ(run(k + "profile new --model 0 --name 'LINE A' -o " + (f / "p.ini")).exitCode, 0);
    // The lock of a running process of this computer: this test's own.
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    f.file("krnsetup.lock", std::string(host) + " " + std::to_string(::getpid()) + "\n");
    for (const std::string& command :
         {"format --profile " + (f / "p.ini"), std::string("send-text --languages Ing,Ita")}) {
        fs::remove((f / "trace.txt"));
        EXPECT_THAT(outputOf(k + command, 3),
                    HasSubstr("The program folder is in use by another command (PID " +
                              std::to_string(::getpid())));
        EXPECT_FALSE(framesIn((f / "trace.txt"))) << command;
    }
    EXPECT_EQ(slurp(own), "1\r\n");
    for (const auto& e : fs::directory_iterator(f.path))
        EXPECT_EQ(e.path().filename().string().find("RamSetup-"), std::string::npos);
}

// Two formats (and two text sends) of two instruments started together in one program folder:
// each instrument ends with what its own command sent, or one command is refused before it
// sends a frame and its instrument keeps what it held.
TEST(SharedFolder, TwoCommandsStartedTogetherNeverMixTheirWork) {
    Folder f;
    Krnsim a({"--profile", "p36e51", "--serial", "--restart-ms", "200"});
    Krnsim b({"--profile", "p36e51", "--serial", "--restart-ms", "200"});
    const std::string ports[] = {"COM: " + a.value("serial"), "COM: " + b.value("serial")};
    const std::string names[] = {"LINE A", "LINE B"}, profiles[] = {f / "a.ini", f / "b.ini"};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(run(krnctl + " --folder " + f.str() + " profile new --model 0 --name '" +
                      names[i] + "' -o " + profiles[i])
                      .exitCode,
                  0);
        ASSERT_EQ(run(krnctlOn(ports[i]) + "name 'OLD " + std::to_string(i) + "'").exitCode, 0);
    }
    const std::vector<std::string> commands[2][2] = {
        {{"format", "--profile", profiles[0]}, {"format", "--profile", profiles[1]}},
        {{"send-text", "--languages", "Ita,Ing"}, {"send-text", "--languages", "Ing,Ita"}}};
    for (const auto& both : commands) {
        pid_t pids[2];
        std::string before[2];
        for (int i = 0; i < 2; ++i) {
            before[i] = run(krnctlOn(ports[i]) + "name").out;
            std::vector<std::string> args = {"--folder", f.str(), "--instrument", ports[i],
                                             "--yes"};
            args.insert(args.end(), both[i].begin(), both[i].end());
            pids[i] = startKrnctl(args, f / ("out" + std::to_string(i)));
        }
        int done = 0;
        for (int i = 0; i < 2; ++i) {
            const int code = exitCodeOf(pids[i]);
            const std::string out = slurp(f / ("out" + std::to_string(i)));
            SCOPED_TRACE(both[i][0] + " " + std::to_string(i) + ": " + out);
            done += code == 0;
            if (code != 0) {
                EXPECT_EQ(code, 3);
                EXPECT_THAT(out, HasSubstr("The program folder is in use by another command"));
            }
            // A format names the instrument after its own profile; anything else keeps the name.
            const bool renamed = code == 0 && both[i][0] == "format";
            EXPECT_EQ(run(krnctlOn(ports[i]) + "name").out, renamed ? names[i] + "\n" : before[i]);
            EXPECT_EQ(run(krnctlOn(ports[i]) + "job list").exitCode, 0);
        }
        EXPECT_GE(done, 1);
    }
}

}  // namespace
