// krnctl ethernet setup against krnsim's module on loopback, as separate processes.
#include "e2e/programs.h"

using namespace e2e;

namespace {

TEST(EthernetSetupProgram, AssignsTheAddressThatDiscoveryThenReads) {
    Krnsim sim({"--profile", "p39e1060", "--udp", "127.0.0.1:0", "--module-port", "0"});
    const std::string discovery =
        " --discovery-address 127.0.0.1 --discovery-port " + sim.port("udp module");
    TempFolder dir("krn-module");
    const std::string trace = dir / "trace";
    expectRuns(krnctl, {{" ethernet setup --mac 0036119A0001 --ip 127.0.0.3" + discovery +
                             " --trace " + trace,
                         0, "Ethernet IP setup OK.\nprevious: 127.0.0.1\nip: 127.0.0.3\n"}});
    // The trace holds every module command and every answer, in order: each command up to the
    // last logout is accepted ("A", the address with it), the settings' store with "C" (the
    // module restarts); the last logout has no answer.
    std::istringstream in(slurp(trace));
    std::string sent, answers;
    for (std::string line; std::getline(in, line);) {
        if (line.find(" MOD -- to ") != std::string::npos) sent += line.substr(line.find('"'));
        if (line.find(" MOD -- from ") != std::string::npos) answers += line.substr(line.find('"'));
    }
    EXPECT_EQ(sent, R"("W0036119A0001""L""GIP""O""W""A0036119A0001//127.0.0.3""W0036119A0001""L")"
                    R"("SONH.W.K.""SDNKRNV""SBR7""SSI0""SFC1""SRC0""SDS1""O""W")");
    EXPECT_EQ(answers, R"("A""A""A127.0.0.1/255.255.255.0/0.0.0.0""A""A""A""A""A""A""A""A""A")"
                       R"("A""C""A")");
    // The module now reports the new address; on loopback its data port stays where it is.
    Result list = run(krnctl + " --json list --ethernet" + discovery);
    EXPECT_EQ(list.out,
              "[{\"NAME\":\"[KRN-ELE]\",\"SN\":\"MAC: 0036119A0001\",\"INFO\":\"IP:127.0.0.3:" +
                  sim.port("udp data") + "\"}]\n");

    // Another module's MAC: nobody answers the selection.
    expectRuns(krnctl, {{" ethernet setup --mac 00FF00000000 --ip 127.0.0.4" + discovery, 1,
                         "Get IP-address timeout.\nkrnctl: ethernet setup failed (the instrument "
                         "or the link); the module may keep its former address or settings: run "
                         "krnctl ethernet setup again.\n"}});
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
        {{"--module-silent", "GIP"}, "Get IP-address timeout.\n"},
    };
    for (const Case& c : cases) {
        Krnsim sim({"--profile", "p39e1060", "--udp", "127.0.0.1:0", "--module-port", "0",
                    c.fault[0], c.fault[1]});
        expectRuns(krnctl + " ethernet setup --mac 0036119A0001 --ip 127.0.0.3 ",
                   {{"--discovery-address 127.0.0.1 --discovery-port " + sim.port("udp module"), 1,
                     c.out}},
                   true);
    }
    EXPECT_EQ(
        run(KRNSIM_PATH " --profile p39e1060 --udp 127.0.0.1:0 --module-reject SDS1=CC").exitCode,
        2);
}

// krnctl on the in-process simulated USB instrument, its chip's identity kept in the file `chip`
// between two krnctl runs, as re-plugging would show it.
struct UsbBench {
    explicit UsbBench(const std::string& name) : dir(name) {
        fs::create_directories(dir.path / "config");
    }
    TempFolder dir;
    const std::string list = dir / "SNlist.txt", chip = dir / "chip";
    const std::string k = "XDG_CONFIG_HOME=" + (dir / "config") + " " + krnctl + " --folder " +
                          dir.str() + " --simulate p36e51 --simulate-eeprom " + chip + " ";
};

// A blank chip gets the next serial of the list, which the listings then show.
TEST(UsbProgramProgram, ABlankChipGetsTheNextSerialThatTheListThenShows) {
    UsbBench b("krn-e2e-usb");
    b.dir.file("SNlist.txt",
               "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0 QX300125  KRN-Visual          "
               "01/12/2026  x\\par\n}");
    expectRuns(b.k, {{"sn next", 0, "QX300126\n"},
                     {"--yes usb program --name 'Line 9'", 0,
                      "Are you sure to program EEprom?\nUnplug then plug the instrument for "
                      "identification.\n"}});
    EXPECT_EQ(slurp(b.chip), "QX300126\nLine 9\n");
    // The listing shows the chip as re-plugging finds it: its new serial number and name.
    EXPECT_THAT(outputOf(b.k + "--json list --usb", 0),
                HasSubstr("\"SN\":\"USB: QX300126\",\"INFO\":\"Protocol: 36-51\","
                          "\"SERIAL\":\"QX300126\",\"DESCRIPTION\":\"Line 9\"}"));
    EXPECT_THAT(outputOf(b.k + "list --usb", 0),
                HasSubstr("Name    Port/SN        Info             Chip description\n"
                          "KRN-36  USB: QX300126  Protocol: 36-51  Line 9\n"));
    EXPECT_THAT(run(b.k + "sn list").out, HasSubstr("QX300126  Line 9              "));
    // The chip is programmed now: a second run asks nothing and takes the next number.
    expectRuns(b.k, {{"sn next", 0, "QX300127\n"}, {"usb program", 0, ""}});
    EXPECT_EQ(slurp(b.chip), "QX300127\nKRN-Visual\n");
}

// A first list made by sn init; accented names in and out; a list that is not the list's form and
// a list whose numbers are used up program nothing and leave the list and the chip as they were.
TEST(UsbProgramProgram, AFirstListCharactersAndListsThatProgramNothing) {
    UsbBench b("krn-e2e-sn");
    EXPECT_THAT(outputOf(b.k + "sn next", 4),
                HasSubstr("\"krnctl sn init\" creates an empty list at " + b.list));
    expectRuns(b.k, {{"sn init", 0, "Created an empty serial-number list: " + b.list + "\n"},
                     {"sn init", 3, ""},
                     {"sn next", 0, "QX300001\n"},
                     {"--yes usb program --name 'Pr\u00fcfstand' --user 'tech \u00e8'", 0, ""}});
    EXPECT_THAT(slurp(b.list), HasSubstr("QX300001  Pr\\'fcfstand           "));
    EXPECT_EQ(run(b.k + "--json sn list").out, "[\"QX300001  Pr\u00fcfstand           " +
                                                   run("date +%d/%m/%Y").out.substr(0, 10) +
                                                   "  tech \u00e8\"]\n");
    const std::string before = slurp(b.chip);
    const struct {
        std::string file;  // printf format
        int exitCode;
        std::string said;
    } cases[] = {
        {"\\377\\376Q\\000X\\0003\\0000\\0000\\0001\\0002\\0005\\000", 4, "it is UTF-16 text"},
        {"QX300125  plain text\\r\\n", 4, "not a rich-text document"},
        {"{\\\\rtf1 QX399999  last\\\\par}", 3, "are used up"},
    };
    for (const auto& c : cases) {
        run("printf '" + c.file + "' > " + b.list);
        const std::string bytes = slurp(b.list);
        for (const char* command : {"sn next", "usb program --yes"})
            EXPECT_THAT(outputOf(b.k + command, c.exitCode), HasSubstr(c.said)) << c.file;
        EXPECT_EQ(slurp(b.list), bytes);
        EXPECT_EQ(slurp(b.chip), before);
    }
}

}  // namespace

namespace {

// krnctl station on its simulated bench of three blank instruments: three rows with consecutive
// serial numbers, the report, a backup each and the list holding the numbers.
// A bench of three blank instruments kept between runs, the second with a faulty memory cell:
// its format fails after its number was written; mended, a second run finishes it with that
// number while the done ones are left alone.
TEST(StationProgram, ThreeBlankInstrumentsTheFailedOneFinishedByASecondRun) {
    TempFolder dir("krn-e2e-station");
    copyShippedData(dir.path);
    fs::create_directories(dir.path / "config");
    dir.file("SNlist.txt", "{\\rtf1\\ansi QX300125  earlier\\par\n}");
    const std::string k = "XDG_CONFIG_HOME=" + (dir / "config") + " " + krnctl + " --folder " +
                          dir.str() + " --simulate p36e51 ";
    ASSERT_EQ(run(k + "profile new --model 0 -o " + (dir / "p.ini")).exitCode, 0);
    const std::string station = k + "--yes station --profile " + (dir / "p.ini") + " --report " +
                                (dir / "report.csv") + " --backups " + (dir / "backups") +
                                " --operator Anna --bench " + (dir / "bench");
    // The rows (standard output, the seconds aside) without the stages (standard error).
    const auto rows = [](const std::string& out) {
        std::string rows;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            rows += line.substr(0, line.rfind("  ")) + "\n";
        return rows;
    };
    const Result first = run("(" + station + " --bench-faulty 2 2>/dev/null)");
    EXPECT_EQ(first.exitCode, 1) << first.out;
    EXPECT_THAT(rows(first.out), StartsWith("QX300126  KRN QX300126  done\n"
                                            "QX300127  KRN QX300127  failed at format"));
    EXPECT_THAT(rows(first.out), HasSubstr("\nQX300128  KRN QX300128  done\n2 done, 1 failed\n"));
    const Result second = run(station + " 2>&1");
    EXPECT_EQ(second.exitCode, 0) << second.out;
    EXPECT_THAT(second.out, HasSubstr("QX300126: done already.\n"));
    EXPECT_THAT(rows(second.out), HasSubstr("QX300127  KRN QX300127  done\n"));
    EXPECT_THAT(second.out, HasSubstr("QX300128: done already.\n"));
    EXPECT_THAT(second.out, EndsWith("1 done, 0 failed\n"));

    const std::string report = slurp(dir / "report.csv");
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 5) << report;
    EXPECT_THAT(report, HasSubstr(",QX300127,KRN QX300127,36,51,"));
    const std::string list = slurp(dir / "SNlist.txt");
    EXPECT_THAT(list, Not(HasSubstr("QX300129")));
    for (int i = 1; i <= 3; ++i) {
        const std::string serial = "QX30012" + std::to_string(5 + i), n = std::to_string(i);
        SCOPED_TRACE(serial);
        EXPECT_TRUE(fs::exists(dir.path / "backups" / (serial + ".ini")));
        EXPECT_THAT(list, HasSubstr(serial + "  KRN " + serial));
        const Result identity = run(k + "--simulate-eeprom " + (dir / ("bench/" + n + ".eeprom")) +
                                    " --simulate-nvram " + (dir / ("bench/" + n + ".nvram")) +
                                    " --instrument 'USB: " + serial + "' --json identify");
        EXPECT_THAT(identity.out, HasSubstr("\"Nome\":\"KRN " + serial + "\""));
    }
}

}  // namespace
