// Ctrl-C half way through the commands that write into the instrument: each ends with exit 3 and
// its closing line (what happened, the state the instrument is left in, what to run), gives the
// press and the keyboard back and ends the conversation, and the instrument answers afterwards.
#include <sstream>
#include <thread>

#include "e2e/programs.h"

namespace {

using namespace e2e;

// The frames the simulated instrument received, as "code/first argument", from its trace.
std::vector<std::string> receivedFrames(const std::string& trace) {
    std::vector<std::string> out;
    std::istringstream in(slurp(trace));
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find("SIM RX ");
        if (at == std::string::npos) continue;
        std::istringstream bytes(line.substr(at + 7, line.find("  #") - at - 7));
        std::vector<int> frame;
        for (std::string hex; bytes >> hex;) frame.push_back(std::stoi(hex, nullptr, 16));
        if (frame.size() >= 3)
            out.push_back(std::to_string(frame[1]) + "/" + std::to_string(frame[2]));
    }
    return out;
}

TEST(Interrupted, CtrlCInAWritingCommandClosesWithItsLineAndReleasesTheInstrument) {
    TempFolder dir("krn-e2e-int");
    copyShippedData(dir.path);
    const std::string backup = dir / "a.ini", jobs = dir / "jobs.bin", profile = dir / "p.ini";
    {
        Krnsim source({"--profile", "p36e51", "--serial"});
        expectRuns(krnctlOn("COM: " + source.value("serial"), dir.str()),
                   {{"backup " + backup, 0, ""},
                    {"jobs save " + jobs, 0, ""},
                    {"memory export --from 0 --to 3000 -o " + (dir / "Memory.asm"), 0, ""},
                    {"profile new --model 0 -o " + profile, 0, ""}});
    }
    const fs::path firmware = KRN_FIRMWARE_DIR;
    for (const char* block : {"blockKRNV1.asm", "blockKRNV0.asm"})
        fs::copy_file(firmware / block, dir.path / block, fs::copy_options::overwrite_existing);
    const std::vector<std::string> p36 = {"--profile", "p36e51"};
    const std::string trace = dir / "sim.trace", output = dir / "out.txt";
    const std::vector<std::string> slow = {"--serial", "--trace",      trace, "--answer-delay-ms",
                                           "5",        "--restart-ms", "200"};
    struct Case {
        std::vector<std::string> sim;
        std::vector<std::string> args;
        std::string frame;  // Ctrl-C comes after ten frames of this command code
        std::string closing;
    };
    const Case cases[] = {
        {p36,
         {"restore", backup, "--config"},
         "14/",
         "restore was refused or cancelled; the configuration may be written only in part: run "
         "krnctl restore FILE again."},
        {p36,
         {"jobs", "restore", jobs},
         "14/",
         "jobs restore was refused or cancelled; the job memory may be written only in part: run "
         "krnctl jobs restore FILE again."},
        {p36,
         {"memory", "import"},
         "14/",
         "memory import was refused or cancelled; the bytes before the one it stopped at are "
         "written: run krnctl memory import again."},
        {p36,
         {"format", "--profile", profile},
         "14/",
         "format was refused or cancelled; the instrument may not be formatted now: run krnctl "
         "format again."},
        // During the save of the jobs, before any text is sent.
        {p36,
         {"send-text", "--languages", "Ita,Ing"},
         "15/",
         "send-text was refused or cancelled; the instrument may hold part of the new texts and "
         "not all of its jobs: run krnctl send-text again."},
        // The loader blocks are in place: the firmware itself is being written.
        {{"--profile", "loader", "--flash", (firmware / "blockKRNV1.asm").string(), "--flash",
          (firmware / "blockKRNV0.asm").string()},
         {"firmware", "update", (firmware / "sample.atm").string()},
         "26/",
         "firmware update was refused or cancelled; the instrument's firmware is incomplete: run "
         "krnctl firmware update again before anything else."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        for (const std::string& f : {trace, output}) fs::remove(f);
        // A slow instrument, so that the command is still at work when Ctrl-C comes.
        std::vector<std::string> simArgs = c.sim;
        simArgs.insert(simArgs.end(), slow.begin(), slow.end());
        Krnsim sim(simArgs);
        std::vector<std::string> args = {"--folder", dir.str(), "--instrument",
                                         "COM: " + sim.value("serial"), "--yes"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const pid_t pid = startKrnctl(args, output);
        ASSERT_GT(pid, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        auto seen = [&] {
            int n = 0;
            for (const auto& f : receivedFrames(trace)) n += f.rfind(c.frame, 0) == 0;
            return n;
        };
        while (seen() < 10 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_GE(seen(), 10);
        ::kill(pid, SIGINT);
        EXPECT_EQ(exitCodeOf(pid), 3);
        EXPECT_THAT(slurp(output), testing::EndsWith("krnctl: " + c.closing + "\n"));
        // The press and the keyboard given back, the conversation ended.
        const auto frames = receivedFrames(trace);
        ASSERT_GE(frames.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(frames.end() - 3, frames.end()),
                  (std::vector<std::string>{"20/0", "18/3", "18/9"}));
        outputOf(krnctlOn("COM: " + sim.value("serial")) + "identify", 0);
    }
}

}  // namespace
