// krnsim and krnctl as the technician runs them: separate processes on a pseudo-terminal and
// on loopback UDP.
#include <gtest/gtest.h>

#include "e2e/programs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The line a command ends with when it stopped at a file.
std::string fileClosing(const std::string& path) {
    return "krnctl: " + path +
           " stopped at a file; nothing was written to the instrument: correct the file named "
           "above and run the command again.\n";
}

using namespace e2e;

TEST(Programs, KrnctlExchangesWithKrnsimOverSerialAndUdp) {
    Krnsim sim({"--profile", "p41e1072", "--serial", "--udp", "127.0.0.1:0", "--module-port", "0"});
    const std::string pty = sim.value("serial");
    ASSERT_FALSE(pty.empty());
    const std::string port = sim.port("udp data");
    ASSERT_FALSE(port.empty());

    struct Case {
        std::string instrument, args, output;
    };
    const Case cases[] = {
        {"COM: " + pty, "exchange 15 0x23 0x01 0x00", "00\n"},
        {"COM: " + pty, "exchange 1", "48 29\n"},
        {"IP: 127.0.0.1:" + port, "exchange 15 0x23 0x01 0x00", "00\n"},
        {"IP: 127.0.0.1:" + port, "--json exchange 12",
         "{\"command\":12,\"answer\":\"95 01\",\"BufferRx\":[149,1]}\n"},
    };
    for (const Case& c : cases) {
        Result r = run(krnctl + " --instrument '" + c.instrument + "' " + c.args);
        EXPECT_EQ(r.exitCode, 0) << c.instrument << " " << c.args << "\n" << r.out;
        EXPECT_EQ(r.out, c.output) << c.instrument << " " << c.args;
    }
}

TEST(Programs, IdentifyEveryProfileOnEveryChannel) {
    struct Case {
        const char* profile;
        std::string expect;  // a piece of the JSON document
    };
    const Case cases[] = {
        {"p17e23", "\"Protocollo\":17,\"Estensioni\":23,\"FormatoNVRAM\":2"},
        {"p36e51", "\"Protocollo\":36,\"Estensioni\":51,\"FormatoNVRAM\":11"},
        {"p39e1060", "\"Protocollo\":39,\"Estensioni\":1060,\"FormatoNVRAM\":14"},
        {"p41e1072", "\"Protocollo\":41,\"Estensioni\":1072,\"FormatoNVRAM\":24"},
        {"loader", "\"stato\":0,\"UpdateMode\":true"},
        {"unformatted", "\"stato\":3,\"FirmaValida\":false,\"UpdateMode\":true"},
        {"wrongformat", "\"stato\":4,\"FirmaValida\":false,\"UpdateMode\":true"},
    };
    for (const Case& c : cases) {
        Krnsim sim(
            {"--profile", c.profile, "--serial", "--udp", "127.0.0.1:0", "--module-port", "0"});
        const std::string descriptions[] = {"COM: " + sim.value("serial"),
                                            "IP: 127.0.0.1:" + sim.port("udp data")};
        for (const std::string& d : descriptions) {
            Result r = run(krnctl + " --json --instrument '" + d + "' identify");
            EXPECT_EQ(r.exitCode, 0) << c.profile << " " << d << "\n" << r.out;
            EXPECT_NE(r.out.find(c.expect), std::string::npos) << c.profile << " " << d << "\n"
                                                               << r.out;
        }
        Result usb = run(krnctl + " --json --simulate " + c.profile +
                         " --instrument 'USB: QX3SIM0001' identify");
        EXPECT_EQ(usb.exitCode, 0) << usb.out;
        EXPECT_NE(usb.out.find(c.expect), std::string::npos) << c.profile << " USB\n" << usb.out;
    }
}

TEST(Programs, NameCounterAndNvramOverAPseudoTerminal) {
    Krnsim sim({"--profile", "p36e51", "--serial"});
    const std::string k = krnctl + " --instrument 'COM: " + sim.value("serial") + "' ";
    struct Case {
        std::string args;
        int exitCode;
        std::string output;
    };
    const Case cases[] = {
        {"name", 0, "KRN-36\n"},
        {"name 'Pressa 7 linea B'", 0, "Pressa 7 line\n"},
        {"--json name", 0, "{\"Nome\":\"Pressa 7 line\"}\n"},
        {"counter", 0, "123456\n"},
        {"counter --set 99", 0, "Writing counter done\n99\n"},
        // Out of range is refused by the command in its own words.
        {"counter --set -1", 3,
         "Insert a number in range 0 to 2147483647.\nkrnctl: counter was refused or cancelled; "
         "the instrument keeps either the old value or the new one: run krnctl counter without "
         "a value to see which.\n"},
        {"nvram write 0x5000 1 2 0xFF", 0, "3 bytes written at 20480\n"},
        {"nvram read 0x5000 3", 0, "005000: 01 02 FF\n"},
        {"--json nvram read 20480 2", 0, "{\"Indirizzo\":20480,\"Dati\":[1,2]}\n"},
        {"nvram read 0x1000000", 2,
         "krnctl: \"0x1000000\" is not an NVRAM address (0..0xFFFFFF)\n"},
        {"update-mode off", 3,
         "krnctl: the instrument is already out of update mode\nkrnctl: update-mode was refused "
         "or cancelled; the instrument may still be in its former mode: run krnctl update-mode "
         "again.\n"},
        {"update-mode maybe", 2, "krnctl: update-mode takes on or off\n"},
    };
    for (const Case& c : cases) {
        Result r = run(k + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.out;
        EXPECT_EQ(r.out, c.output) << c.args;
    }
}

TEST(Programs, ListFindsTheInstrumentBehindItsModuleAndItsRowOpensIt) {
    Krnsim sim({"--profile", "p39e1060", "--udp", "127.0.0.1:0", "--module-port", "0",
                "--clock-offset", "30"});
    const std::string discovery =
        " --discovery-address 127.0.0.1 --discovery-port " + sim.port("udp module");
    const std::string row = "IP:127.0.0.1:" + sim.port("udp data");
    Result list = run(krnctl + " --json list --ethernet" + discovery);
    EXPECT_EQ(list.out,
              "[{\"NAME\":\"[KRN-ELE]\",\"SN\":\"MAC: 0036119A0001\",\"INFO\":\"" + row + "\"}]\n");
    list = run(krnctl + " --json list" + discovery);
    EXPECT_EQ(list.exitCode, 0) << list.out;
    EXPECT_NE(list.out.find("{\"NAME\":\"KRN-ELE\",\"SN\":\"" + row +
                            "\",\"INFO\":\"Protocol: 39-1060\"}"),
              std::string::npos)
        << list.out;
    Result identify = run(krnctl + " --json --instrument '" + row + "' identify");
    EXPECT_NE(identify.out.find("\"PressaElettrica\":true"), std::string::npos) << identify.out;

    Result clock = run(krnctl + " --json --instrument '" + row + "' clock");
    EXPECT_TRUE(clock.out.find("\"Differenza\":29") != std::string::npos ||
                clock.out.find("\"Differenza\":30") != std::string::npos)
        << clock.out;
    clock = run(krnctl + " --json --instrument '" + row + "' clock --set");
    EXPECT_TRUE(clock.out.find("\"Differenza\":0") != std::string::npos ||
                clock.out.find("\"Differenza\":1") != std::string::npos)
        << clock.out;
}

TEST(Programs, JobsUsersAndIoOverAPseudoTerminalAndUdp) {
    Krnsim sim({"--profile", "p36e51", "--serial", "--udp", "127.0.0.1:0", "--module-port", "0"});
    for (const std::string& d :
         {"COM: " + sim.value("serial"), "IP: 127.0.0.1:" + sim.port("udp data")}) {
        const std::string k = krnctl + " --instrument '" + d + "' ";
        Result show = run(k + "--json job show 1");
        EXPECT_EQ(show.exitCode, 0) << show.out;
        EXPECT_EQ(show.out.rfind("{\"PosizioneLavoro\":1,\"NomeLavoro\":\"JOB 1\"", 0), 0u)
            << show.out;
        EXPECT_NE(show.out.find("\"NomeFase\":\"PRESS\",\"FaseAbilitata\":true,\"TipoFase\":0,"
                                "\"ForzaStop\":0,\"ForzaMin\":0,\"ForzaMax\":1234"),
                  std::string::npos)
            << show.out;
        Result users = run(k + "users list");
        EXPECT_EQ(users.out, "1234  MARIO  rights 4095\n4321  ANNA  rights 15\n") << d;
        Result list = run(k + "job list");
        EXPECT_EQ(list.out, "* 1  JOB 1\n  2  JOB 2\n") << d;
    }
    Result io = run(krnctl + " --json --instrument 'COM: " + sim.value("serial") + "' io show");
    EXPECT_NE(io.out.find("{\"Ingresso\":6,\"Funzione\":16,\"Nome\":\"MOLT INDIETRO\"}"),
              std::string::npos)
        << io.out;
    EXPECT_NE(io.out.find("{\"Uscita\":6,\"Funzione\":17,\"Nome\":\"RETURN\"}"), std::string::npos)
        << io.out;
}

TEST(Programs, KrnsetupStartsWithItsSimulatedInstrumentsAndKeepsTheirNvram) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_gui_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "config" / "krnsetup");
    {
        // An empty access code: the program opens at level 0 without asking.
        std::ofstream conf(dir / "config" / "krnsetup" / "krnsetup.conf");
        conf << "[Main]\nStrumento=\n";
    }
    const std::string folder = (dir / "folder").string();
    std::filesystem::create_directories(folder);
    Result r = run("env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=" + (dir / "config").string() +
                   " " + KRNSETUP_PATH + " --simulate --folder " + folder + " --quit-after 1500");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    for (const char* name :
         {"simulated-serial.nvram", "simulated-usb.nvram", "simulated-ethernet.nvram"})
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / name)) << name;
    std::filesystem::remove_all(dir);
}

TEST(Programs, BackupRestoreAndDiffOverAPseudoTerminal) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_e2e_bk_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string a = (dir / "a.ini").string(), b = (dir / "b.ini").string();
    Krnsim source({"--profile", "p36e51", "--serial"});
    Result r = run(krnctl + " --instrument 'COM: " + source.value("serial") + "' backup " + a);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "backup of KRN-36 written to " + a + "\n");

    Krnsim target({"--profile", "p36e51", "--serial"});
    const std::string k = krnctl + " --instrument 'COM: " + target.value("serial") + "' ";
    EXPECT_EQ(run(k + "name Other").exitCode, 0);
    r = run(k + "backup " + b);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(run(krnctl + " backup diff " + a + " " + b).out,
              "NOMESTRUMENTO: \"KRN-36\" -> \"Other\"\n");

    r = run(k + "restore " + a + " --config < /dev/null");  // nobody to say yes
    EXPECT_EQ(r.exitCode, 3) << r.out;
    r = run(k + "--yes restore " + a + " --config --calibration");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(run(k + "name").out, "KRN-36\n");
    EXPECT_EQ(run(krnctl + " backup diff " + a + " " + (dir / "none.ini").string()).exitCode, 4);
    std::filesystem::remove_all(dir);
}

// The frames the simulated instrument received, as "code/first argument", from its trace.
std::vector<std::string> receivedFrames(const std::string& trace) {
    std::vector<std::string> out;
    std::ifstream in(trace);
    std::string line;
    while (std::getline(in, line)) {
        const auto at = line.find("SIM RX ");
        if (at == std::string::npos) continue;
        std::istringstream bytes(line.substr(at + 7, line.find("  #") - at - 7));
        std::vector<int> frame;
        std::string hex;
        while (bytes >> hex) frame.push_back(std::stoi(hex, nullptr, 16));
        if (frame.size() >= 3)
            out.push_back(std::to_string(frame[1]) + "/" + std::to_string(frame[2]));
    }
    return out;
}

TEST(Programs, CtrlCHalfWayThroughARestoreReleasesTheInstrumentAndExitsWith3) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_e2e_int_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "a.ini").string(), simTrace = (dir / "sim.trace").string();
    {
        Krnsim source({"--profile", "p36e51", "--serial"});
        ASSERT_EQ(run(krnctl + " --instrument 'COM: " + source.value("serial") + "' backup " + file)
                      .exitCode,
                  0);
    }
    // A slow instrument, so that the restore is still writing when Ctrl-C comes.
    Krnsim sim({"--profile", "p36e51", "--serial", "--trace", simTrace, "--answer-delay-ms", "15"});
    const std::string instrument = "COM: " + sim.value("serial");
    std::vector<std::string> args = {krnctl,    "--instrument", instrument, "--yes",
                                     "restore", file,           "--config"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, KRNCTL_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Wait for the writes to be under way.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto writes = [&] {
        int n = 0;
        for (const auto& f : receivedFrames(simTrace)) n += f.rfind("14/", 0) == 0;
        return n;
    };
    while (writes() < 10 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_GE(writes(), 10);
    ::kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    const auto frames = receivedFrames(simTrace);
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(frames.end() - 3, frames.end()),
              (std::vector<std::string>{"20/0", "18/3", "18/9"}));
    std::filesystem::remove_all(dir);
}

TEST(Programs, KrnctlExitCodesAndMessages) {
    struct Case {
        std::string args;
        int exitCode;
        std::string output;
    };
    const Case cases[] = {
        {"--instrument 'COM: 0' exchange 1", 2,
         "krnctl: \"COM: 0\" is not an instrument; use \"COM: n\" (n from 1), \"COM: "
         "/dev/...\", \"USB: serial\" or \"IP: host:port\"\n"},
        {"--instrument 'IP: 127.0.0.1' exchange 1", 2,
         "krnctl: \"IP: 127.0.0.1\" is not an instrument; use \"COM: n\" (n from 1), \"COM: "
         "/dev/...\", \"USB: serial\" or \"IP: host:port\"\n"},
        {"--instrument 'COM: /dev/null/none' exchange 1", 1,
         "Communication error\nCOM: /dev/null/none\nkrnctl: exchange failed (the instrument or "
         "the link); the instrument was not changed: check the cable or the network and run "
         "krnctl exchange again.\n"},
        {"--instrument 'COM: 1' exchange 256", 2,
         "krnctl: \"256\" is not a byte (0..255, decimal or 0x hex)\n"},
        {"--instrument 'COM: 1' exchange 0xZZ", 2,
         "krnctl: \"0xZZ\" is not a byte (0..255, decimal or 0x hex)\n"},
        {"--simulate p36e51 --instrument 'USB: QX3SIM0001' exchange 1", 0, "33 24\n"},
        {"--simulate nothing exchange 1", 2, "krnctl: unknown simulator profile \"nothing\"\n"},
        {"--folder / folder", 0, "/\n"},
        {"folder --json --folder /", 0, "{\"folder\":\"/\"}\n"},
        {"--folder /krn-no-such-folder folder", 4,
         "Program folder not found:\n/krn-no-such-folder\nkrnctl: folder stopped at a file; "
         "nothing was written to the instrument: correct the file named above and run the "
         "command again.\n"},
    };
    for (const Case& c : cases) {
        Result r = run("env -u KRN_INSTRUMENT " + krnctl + " " + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.out;
        EXPECT_EQ(r.out, c.output) << c.args;
    }
    Result none = run("env -u KRN_INSTRUMENT " + krnctl + " exchange 1");
    EXPECT_EQ(none.exitCode, 2);
}

TEST(Programs, KrnsimKeepsItsNvramAndBothSidesTrace) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_e2e_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string nvram = (dir / "nvram.bin").string();
    const std::string simTrace = (dir / "sim.trace").string();
    const std::string ctlTrace = (dir / "ctl.trace").string();
    {
        Krnsim sim({"--profile", "p36e51", "--serial", "--nvram", nvram, "--trace", simTrace});
        const std::string desc = "COM: " + sim.value("serial");
        Result w = run(krnctl + " --instrument '" + desc + "' --trace " + ctlTrace +
                       " exchange 14 0x23 0x01 0x00 0x5A");
        EXPECT_EQ(w.exitCode, 0) << w.out;
        EXPECT_EQ(sim.stop(), 0);
    }
    ASSERT_EQ(std::filesystem::file_size(nvram), 512768u);
    {
        Krnsim sim({"--profile", "p36e51", "--serial", "--nvram", nvram});
        EXPECT_EQ(sim.value("nvram"), "loaded " + nvram);
        Result r = run(krnctl + " --instrument 'COM: " + sim.value("serial") +
                       "' exchange 15 0x23 0x01 0x00");
        EXPECT_EQ(r.out, "5A\n");
    }
    // The request and its answer, with the bytes on the line between them.
    std::ifstream ctl(ctlTrace);
    const std::string ctlText((std::istreambuf_iterator<char>(ctl)),
                              std::istreambuf_iterator<char>());
    const auto tx = ctlText.find("COM TX 06 0E 23 01 00 5A 92  # 14 WriteNVRam1Byte\n");
    const auto out = ctlText.find("COM out 06\n", tx);
    const auto rx = ctlText.find("COM RX 02 01 03  # 14 WriteNVRam1Byte\n", out);
    EXPECT_NE(tx, std::string::npos) << ctlText;
    EXPECT_NE(out, std::string::npos) << ctlText;
    EXPECT_NE(rx, std::string::npos) << ctlText;
    std::ifstream simt(simTrace);
    std::string line;
    std::getline(simt, line);
    std::getline(simt, line);
    EXPECT_NE(line.find("SIM RX 06 0E 23 01 00 5A 92  # 14 WriteNVRam1Byte"), std::string::npos)
        << line;
    std::filesystem::remove_all(dir);
}

TEST(Programs, KrnctlTextsAndFonts) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_e2e_texts_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string k = krnctl + " --folder " + dir.string() + " ";
    {
        std::ofstream(dir / "TestoLimiti.asm", std::ios::binary) << "2 4\r\n";
        std::ofstream(dir / "TradIta.txt", std::ios::binary)
            << "0 \"KRN\"\r\n1 Forza\r\n2 \"Quota\"\r\n3 \"K\xE4se\"\r\n1001 \"Lavoro "
               "wwwwwww\"\r\n";
    }
    const std::string trad = (dir / "TradIta.txt").string();
    Result r = run(k + "texts check " + trad + " --language 0");
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(
        r.out,
        trad + ":2: La linea 1\n    1 Forza\n    non ha il testo racchiuso tra virgolette (\").\n" +
            trad +
            ":3: Il testo \"Quota\" della linea 2 è troppo lungo.\n    Massimo 4 caratteri\n    " +
            trad + "\n" + trad + ":4: Non è possibile usare il carattere ä (228)\n" +
            fileClosing("texts check"));
    EXPECT_FALSE(std::filesystem::exists(dir / "TestoIta.asm"));
    r = run(k + "texts compile " + trad + " --language 0");
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.out, "La linea 1\n1 Forza\nnon ha il testo racchiuso tra virgolette (\").\n" +
                         fileClosing("texts compile"));

    {
        std::ofstream(dir / "TradIta.txt", std::ios::binary)
            << "0 \"KRN\"\r\n1001 \"Lavoro wwwwwww\"\r\n";
    }
    r = run(k + "texts compile " + trad + " --language 0");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Eseguito!\n");
    EXPECT_EQ(run(k + "texts export --language 0").out, "0\t\"KRN\"\n1001\t\"Lavoro wwwwwww\"\n");
    EXPECT_EQ(run(k + "texts export --language 4").exitCode, 4);

    // A preview alone writes the picture and no font file.
    const std::string sheet = (dir / "sheet.png").string();
    const std::string font =
        k + "fonts build --format 6x6 --font 'DejaVu Sans Mono' --size 5 --y -1";
    r = run(font + " --preview " + sheet);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("No font file written (12 characters)"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(sheet));
    EXPECT_FALSE(std::filesystem::exists(dir / "Font6x6.asm"));
    // Bold is the default; --no-bold draws regular.
    r = run(font);
    EXPECT_NE(r.out.find("Written: " + (dir / "Font6x6.asm").string() + " (12 characters)"),
              std::string::npos)
        << r.out;
    const auto bold = (dir / "bold.asm").string(), regular = (dir / "regular.asm").string();
    EXPECT_EQ(run(font + " --bold -o " + bold).exitCode, 0);
    EXPECT_EQ(run(font + " --no-bold -o " + regular).exitCode, 0);
    auto bytes = [](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(bytes(dir / "Font6x6.asm"), bytes(bold));
    EXPECT_NE(bytes(bold), bytes(regular));
    EXPECT_EQ(run(k + "fonts build --format 9x9").exitCode, 2);
    std::filesystem::remove_all(dir);
}

}  // namespace
