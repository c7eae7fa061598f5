// krnctl ethernet setup against krnsim's module on loopback, as separate processes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/programs.h"

using namespace e2e;

namespace {

TEST(EthernetSetupProgram, AssignsTheAddressThatDiscoveryThenReads) {
    Krnsim sim({"--profile", "p39e1060", "--udp", "127.0.0.1:0", "--module-port", "0"});
    const std::string discovery =
        " --discovery-address 127.0.0.1 --discovery-port " + sim.port("udp module");
    const std::string trace = "/tmp/krn_module_trace_" + std::to_string(::getpid());
    Result setup = run(krnctl + " ethernet setup --mac 0036119A0001 --ip 127.0.0.3" + discovery +
                       " --trace " + trace);
    EXPECT_EQ(setup.exitCode, 0) << setup.out;
    EXPECT_EQ(setup.out, "Ethernet IP setup OK.\nprevious: 127.0.0.1\nip: 127.0.0.3\n");
    // The trace holds every module command and every answer, in order.
    std::ifstream in(trace);
    std::vector<std::string> sent, answers;
    for (std::string line; std::getline(in, line);) {
        const auto quote = line.find('"');
        if (line.find(" MOD -- to ") != std::string::npos) sent.push_back(line.substr(quote));
        if (line.find(" MOD -- from ") != std::string::npos) answers.push_back(line.substr(quote));
    }
    std::remove(trace.c_str());
    EXPECT_EQ(sent, (std::vector<std::string>{"\"W0036119A0001\"", "\"L\"", "\"GIP\"", "\"O\"",
                                              "\"W\"", "\"A0036119A0001//127.0.0.3\"",
                                              "\"W0036119A0001\"", "\"L\"", "\"SONH.W.K.\"",
                                              "\"SDNKRNV\"", "\"SBR7\"", "\"SSI0\"", "\"SFC1\"",
                                              "\"SRC0\"", "\"SDS1\"", "\"O\"", "\"W\""}));
    // Each command up to the last logout is answered, in order: accepted ("A", the address
    // with it), the settings' store with "C" (the module restarts); the last logout has none.
    std::vector<std::string> expected(15, "\"A\"");
    expected[2] = "\"A127.0.0.1/255.255.255.0/0.0.0.0\"";
    expected[13] = "\"C\"";
    EXPECT_EQ(answers, expected);
    // The module now reports the new address; on loopback its data port stays where it is.
    Result list = run(krnctl + " --json list --ethernet" + discovery);
    EXPECT_EQ(list.out,
              "[{\"NAME\":\"[KRN-ELE]\",\"SN\":\"MAC: 0036119A0001\",\"INFO\":\"IP:127.0.0.3:" +
                  sim.port("udp data") + "\"}]\n");

    // Another module's MAC: nobody answers the selection.
    Result other = run(krnctl + " ethernet setup --mac 00FF00000000 --ip 127.0.0.4" + discovery);
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_EQ(other.out,
              "Get IP-address timeout.\nkrnctl: ethernet setup failed (the instrument or the "
              "link); the module may keep its former address or settings: run krnctl ethernet "
              "setup again.\n");
}

// krnsim's module told to reject or leave unanswered one command: each step's box, as krnctl
// prints it, and the address read before the step that failed.
TEST(EthernetSetupProgram, RejectionsAndSilencesChosenOnKrnsimsCommandLine) {
    struct Case {
        std::vector<std::string> fault;
        std::string out;
    };
    const Case cases[] = {
        {{"--module-reject", "SBR7=C"},
         "Device setup rejected.\nReply code: C\nGet IP-address timeout.\nprevious: 127.0.0.1\n"},
        {{"--module-reject", "SDS1"},
         "Device setup rejected.\nReply code: R\nGet IP-address timeout.\nprevious: 127.0.0.1\n"},
        {{"--module-reject", "GIP=E"},
         "Get IP-address rejected.\nReply code: E\nGet IP-address timeout.\n"},
        {{"--module-silent", "GIP"}, "Get IP-address timeout.\n"},
        {{"--module-silent", "A0036"}, "Assign IP-address timeout.\nprevious: 127.0.0.1\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--profile",   "p39e1060",      "--udp",
                                         "127.0.0.1:0", "--module-port", "0"};
        args.insert(args.end(), c.fault.begin(), c.fault.end());
        Krnsim sim(args);
        Result setup = run(krnctl +
                           " ethernet setup --mac 0036119A0001 --ip 127.0.0.3 "
                           "--discovery-address 127.0.0.1 --discovery-port " +
                           sim.port("udp module"));
        EXPECT_EQ(setup.exitCode, 1) << c.fault[1];
        EXPECT_EQ(told(setup), c.out) << c.fault[1];
    }
    Result bad = run(std::string(KRNSIM_PATH) +
                     " --profile p39e1060 --udp 127.0.0.1:0 --module-reject SDS1=CC");
    EXPECT_EQ(bad.exitCode, 2) << bad.out;
}

}  // namespace

// krnctl usb program on the in-process simulated chip, blank at first; the chip's identity is
// kept in a file between the two krnctl runs, as re-plugging would show it.
namespace {

TEST(UsbProgramProgram, ABlankChipGetsTheNextSerialThatTheListThenShows) {
    const std::string folder = "/tmp/krn_e2e_usb_" + std::to_string(::getpid());
    run("rm -rf " + folder + " && mkdir -p " + folder + "/config");
    {
        std::FILE* f = std::fopen((folder + "/SNlist.txt").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0 QX300125  KRN-Visual          "
            "01/12/2026  x\\par\n}",
            f);
        std::fclose(f);
    }
    const std::string k = "XDG_CONFIG_HOME=" + folder + "/config " + krnctl + " --folder " +
                          folder + " --simulate p36e51 --simulate-eeprom " + folder + "/chip ";
    Result next = run(k + "sn next");
    EXPECT_EQ(next.out, "QX300126\n");
    Result program = run(k + "--yes usb program --name 'Line 9'");
    EXPECT_EQ(program.exitCode, 0) << program.out;
    EXPECT_EQ(
        program.out,
        "Are you sure to program EEprom?\nUnplug then plug the instrument for identification.\n");
    Result chip = run("cat " + folder + "/chip");
    EXPECT_EQ(chip.out, "QX300126\nLine 9\n");
    // The listing shows the chip as re-plugging finds it: its new serial number and name.
    Result list = run(k + "--json list --usb");
    EXPECT_NE(list.out.find("\"SN\":\"USB: QX300126\",\"INFO\":\"Protocol: 36-51\","
                            "\"SERIAL\":\"QX300126\",\"DESCRIPTION\":\"Line 9\"}"),
              std::string::npos)
        << list.out;
    Result table = run(k + "list --usb");
    EXPECT_EQ(table.exitCode, 0) << table.out;
    EXPECT_NE(table.out.find("\nKRN-36  USB: QX300126  Protocol: 36-51  Line 9\n"),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("Name    Port/SN        Info             Chip description\n"),
              std::string::npos)
        << table.out;
    Result lines = run(k + "sn list");
    EXPECT_NE(lines.out.find("QX300126  Line 9              "), std::string::npos) << lines.out;
    EXPECT_EQ(run(k + "sn next").out, "QX300127\n");
    // The chip is programmed now: a second run asks nothing and takes the next number.
    program = run(k + "usb program");
    EXPECT_EQ(program.exitCode, 0) << program.out;
    EXPECT_EQ(run("cat " + folder + "/chip").out, "QX300127\nKRN-Visual\n");
    run("rm -rf " + folder);
}

// A first list made by sn init; accented names in and out; a list that is not the list's form and
// a list whose numbers are used up program nothing and leave the list and the chip as they were.
TEST(UsbProgramProgram, AFirstListCharactersAndListsThatProgramNothing) {
    const std::string folder = "/tmp/krn_e2e_sn_" + std::to_string(::getpid());
    run("rm -rf " + folder + " && mkdir -p " + folder + "/config");
    const std::string list = folder + "/SNlist.txt", chip = folder + "/chip";
    const std::string k = "XDG_CONFIG_HOME=" + folder + "/config " + krnctl + " --folder " +
                          folder + " --simulate p36e51 --simulate-eeprom " + chip + " ";
    Result missing = run(k + "sn next");
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_NE(missing.out.find("\"krnctl sn init\" creates an empty list at " + list),
              std::string::npos)
        << missing.out;
    EXPECT_EQ(run(k + "sn init").out, "Created an empty serial-number list: " + list + "\n");
    EXPECT_EQ(run(k + "sn init").exitCode, 3);
    EXPECT_EQ(run(k + "sn next").out, "QX300001\n");
    Result program = run(k + "--yes usb program --name 'Pr\u00fcfstand' --user 'tech \u00e8'");
    EXPECT_EQ(program.exitCode, 0) << program.out;
    EXPECT_NE(run("cat " + list).out.find("QX300001  Pr\\'fcfstand           "), std::string::npos);
    EXPECT_EQ(run(k + "--json sn list").out, "[\"QX300001  Pr\u00fcfstand           " +
                                                 run("date +%d/%m/%Y").out.substr(0, 10) +
                                                 "  tech \u00e8\"]\n");
    const std::string before = run("cat " + chip).out;
    struct Case {
        std::string file;  // printf format
        int exitCode;
        std::string said;
    };
    const Case cases[] = {
        {"\\377\\376Q\\000X\\0003\\0000\\0000\\0001\\0002\\0005\\000", 4, "it is UTF-16 text"},
        {"QX300125  plain text\\r\\n", 4, "not a rich-text document"},
        {"{\\\\rtf1 QX399999  last\\\\par}", 3, "are used up"},
    };
    for (const Case& c : cases) {
        run("printf '" + c.file + "' > " + list);
        const std::string bytes = run("od -c " + list).out;
        for (const char* command : {"sn next", "usb program --yes"}) {
            Result r = run(k + command);
            EXPECT_EQ(r.exitCode, c.exitCode) << command << " " << c.file << "\n" << r.out;
            EXPECT_NE(r.out.find(c.said), std::string::npos) << r.out;
        }
        EXPECT_EQ(run("od -c " + list).out, bytes);
        EXPECT_EQ(run("cat " + chip).out, before);
    }
    run("rm -rf " + folder);
}

}  // namespace
