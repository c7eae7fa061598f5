// krnctl fleet backup and fleet status against a network of simulated modules on loopback, into
// a git repository.
#include "e2e/programs.h"
#include "platform/clock.h"
#include "sim/profiles.h"
#include "sim/sim_fleet.h"

using namespace e2e;

namespace {

// The last commit's message without its stamp: "Fleet backup STAMP on line-1: ..." -> "on line-1:
// ...".
std::string lastCommit(const std::string& repo) {
    const std::string message = run("git -C " + repo + " log -1 --format=%B").out;
    return message.substr(message.find(" on ") + 1);
}

TEST(FleetProgram, BacksUpTheNetworkIntoARepositoryAndCommitsWhatChanged) {
    platform::SystemClock clock;
    sim::SimFleet fleet(clock);
    ASSERT_TRUE(fleet.openCommandPort("127.0.0.1", 0));
    // What each instrument's lines say: its key and the name its backup holds.
    const std::string who[] = {"0036119A0001 (KRN-ELE)", "0036119A0002 (KRN-36)",
                               "0036119A0003 (KRN-41 Line 3)", "0036119A0004 (KRN-17)"};
    for (const char* profile : {"p39e1060", "p36e51", "p41e1072", "p17e23", "p39e1060"})
        ASSERT_NE(fleet.add(*sim::findProfile(profile), "127.0.0.1", false), nullptr);
    // The fifth module answers the search and then nothing: it gives no address, and its
    // instrument no frame. (An instrument that is silent behind a module that answers is the
    // link's own timeout, 10 s of real time; the in-process fleet test runs it on virtual time.)
    fleet.server(4).module().setCommandBehaviour("GIP", sim::SimEthernetModule::Behaviour::Silent);
    fleet.server(4).dropLink();
    fleet.start();

    TempFolder dir("krn-e2e-fleet");
    const std::string repo = dir.str();
    run("git init -q " + repo + " && git -C " + repo + " config user.name Fleet && git -C " + repo +
        " config user.email fleet@127.0.0.1");
    const std::string backup = krnctl + " fleet backup --into " + repo +
                               " --ethernet --jobs 5 --commit --station line-1"
                               " --discovery-address 127.0.0.1 --discovery-port " +
                               std::to_string(fleet.commandPort());

    Result first = run(backup);
    EXPECT_EQ(first.exitCode, 1) << first.out;
    for (int i = 0; i < 4; ++i) {
        const std::string key = sim::SimFleet::macOf(static_cast<std::size_t>(i));
        EXPECT_THAT(first.out, HasSubstr("] " + who[i] + ": saved " + key + "/"));
        EXPECT_EQ(run("ls " + repo + "/" + key + " | wc -l").out, "1\n") << key;
    }
    const std::string silent = "0036119A0005 (KRN-ELE)";
    const std::string noAddress = "The module answered the search but did not give its IP address.";
    EXPECT_THAT(first.out,
                AllOf(HasSubstr("] " + silent + ": failed: " + noAddress + "\n"),
                      HasSubstr(": 4 saved, 1 failed, 0 changed, committed\n"),
                      HasSubstr("krnctl: fleet backup failed (the instrument or the link); no "
                                "instrument was changed; the backups listed as saved are in the "
                                "folder: check the instruments listed as failed and run krnctl "
                                "fleet backup again.\n")));
    EXPECT_EQ(lastCommit(repo),
              "on line-1: 0 changed, 4 saved, 1 failed\n\nFirst backup:\n"
              "  0036119A0001 (KRN-ELE)\n  0036119A0002 (KRN-36)\n"
              "  0036119A0003 (KRN-41 Line 3)\n  0036119A0004 (KRN-17)\n\n"
              "Failed:\n  " +
                  silent + ": " + noAddress + "\n\n");
    EXPECT_EQ(run("git -C " + repo + " status --porcelain").out, "");

    // One setting changes on the second instrument (the acquisition frequency, NVRAM 52); the
    // fifth module leaves the network.
    fleet.server(1).withInstrument([](sim::SimInstrument& in) { in.nvram()[52] ^= 1; });
    fleet.server(4).withInstrument(
        [&](sim::SimInstrument&) { fleet.server(4).module().setCommandsSilent(true); });
    Result second = run(backup);
    EXPECT_EQ(second.exitCode, 0) << second.out;
    EXPECT_THAT(second.out, AllOf(HasSubstr("] 0036119A0002 (KRN-36): saved 0036119A0002/"),
                                  HasSubstr("Fleet backup "),
                                  HasSubstr(": 4 saved, 0 failed, 1 changed, committed\n"
                                            "Changed since the previous backup:\n"
                                            "  0036119A0002 (KRN-36):\n    FREQACQ")));
    EXPECT_EQ(second.out.find("\n    ", second.out.find("FREQACQ")), std::string::npos)
        << "one key only:\n"
        << second.out;
    EXPECT_EQ(lastCommit(repo),
              "on line-1: 1 changed, 4 saved, 0 failed\n\nChanged:\n"
              "  0036119A0002 (KRN-36): FREQACQ\n\n");
    EXPECT_EQ(run("git -C " + repo + " log --format=%s | wc -l").out, "2\n");

    Result status = run(krnctl + " fleet status " + repo);
    EXPECT_EQ(status.exitCode, 0) << status.out;
    EXPECT_THAT(status.out, HasSubstr("0036119A0005 (KRN-ELE)\n  last backup: none, last change: "
                                      "none\n  last run: "));
    fleet.stop();
}

// The trace file has one writer: with several links at once it is refused before anything is
// made.
TEST(FleetProgram, TraceTakesOneJob) {
    TempFolder dir("krn-e2e-fleet-trace");
    expectRuns(krnctl, {{" --trace " + (dir / "t.trace") + " fleet backup --into " + (dir / "r") +
                             " --instruments /nonexistent --jobs 2",
                         2,
                         "krnctl: --trace follows one link at a time: give fleet backup --jobs 1 "
                         "with it\n"}});
    EXPECT_FALSE(fs::exists(dir.path / "r"));
}

}  // namespace
