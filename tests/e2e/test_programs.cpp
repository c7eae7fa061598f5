// krnsim and krnctl as the technician runs them: separate processes on a pseudo-terminal and
// on loopback UDP.
#include "e2e/programs.h"

namespace {

using namespace e2e;

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
        for (const std::string& d :
             {"--instrument 'COM: " + sim.value("serial") + "'",
              "--instrument 'IP: 127.0.0.1:" + sim.port("udp data") + "'",
              "--simulate " + std::string(c.profile) + " --instrument 'USB: QX3SIM0001'"}) {
            Result r = run(krnctl + " --json " + d + " identify");
            EXPECT_EQ(r.exitCode, 0) << c.profile << " " << d << "\n" << r.out;
            EXPECT_THAT(r.out, HasSubstr(c.expect)) << c.profile << " " << d;
        }
    }
    // In update mode the text form says why.
    for (const auto& [profile, state] :
         {std::pair("unformatted", "NVRAM not formatted (signature missing)"),
          std::pair("wrongformat", "NVRAM format number differs from 11"),
          std::pair("loader", "the instrument runs its firmware loader")})
        EXPECT_THAT(
            outputOf(krnctl + " --simulate " + profile + " --instrument 'USB: QX3SIM0001' identify",
                     0),
            HasSubstr("\nState:                      update mode: " + std::string(state) + "\n"));
}

TEST(Programs, ListFindsTheInstrumentBehindItsModuleAndItsRowOpensIt) {
    Krnsim sim({"--profile", "p39e1060", "--udp", "127.0.0.1:0", "--module-port", "0",
                "--clock-offset", "30"});
    const std::string discovery =
        " --discovery-address 127.0.0.1 --discovery-port " + sim.port("udp module");
    const std::string row = "IP:127.0.0.1:" + sim.port("udp data");
    Result list = run(krnctl + " --json list" + discovery);
    EXPECT_EQ(list.exitCode, 0) << list.out;
    EXPECT_THAT(list.out, HasSubstr("{\"NAME\":\"KRN-ELE\",\"SN\":\"" + row +
                                    "\",\"INFO\":\"Protocol: 39-1060\"}"));
    const std::string k = krnctl + " --json --instrument '" + row + "' ";
    EXPECT_THAT(run(k + "identify").out, HasSubstr("\"PressaElettrica\":true"));
    EXPECT_THAT(run(k + "clock").out, ContainsRegex("\"Differenza\":(29|30)[,}]"));
    EXPECT_THAT(run(k + "clock --set").out, ContainsRegex("\"Differenza\":(0|1)[,}]"));
}

TEST(Programs, ExchangeJobsUsersIoNameCounterAndNvramOverAPseudoTerminalAndUdp) {
    Krnsim sim({"--profile", "p36e51", "--serial", "--udp", "127.0.0.1:0", "--module-port", "0"});
    for (const std::string& d :
         {"COM: " + sim.value("serial"), "IP: 127.0.0.1:" + sim.port("udp data")}) {
        const std::string k = krnctlOn(d);
        EXPECT_THAT(outputOf(k + "--json job show 1", 0),
                    AllOf(StartsWith("{\"PosizioneLavoro\":1,\"NomeLavoro\":\"JOB 1\""),
                          HasSubstr("\"NomeFase\":\"PRESS\",\"FaseAbilitata\":true,\"TipoFase\":0,"
                                    "\"ForzaStop\":0,\"ForzaMin\":0,\"ForzaMax\":1234")));
        expectRuns(k, {{"exchange 15 0x23 0x01 0x00", 0, "00\n"},
                       {"exchange 1", 0, "33 24\n"},
                       {"--json exchange 12", 0,
                        "{\"command\":12,\"answer\":\"F8 00\",\"BufferRx\":[248,0]}\n"},
                       {"users list", 0, "1234  MARIO  rights 4095\n4321  ANNA  rights 15\n"},
                       {"job list", 0, "* 1  JOB 1\n  2  JOB 2\n"}});
    }
    const std::string com = krnctlOn("COM: " + sim.value("serial"));
    expectRuns(
        com,
        {
            {"name", 0, "KRN-36\n"},
            {"name 'Pressa 7 linea B'", 0, "Pressa 7 line\n"},
            {"--json name", 0, "{\"Nome\":\"Pressa 7 line\"}\n"},
            // Out of range is refused by the command in its own words (the range is the
            // bad-input test's).
            {"counter --set -1", 3,
             "Insert a number in range 0 to 2147483647.\nkrnctl: counter was refused or cancelled; "
             "the instrument keeps either the old value or the new one: run krnctl counter without "
             "a value to see which.\n"},
            {"nvram write 0x5000 1 2 0xFF", 0, "3 bytes written at 20480\n"},
            {"nvram read 0x5000 3", 0, "005000: 01 02 FF\n"},
            {"--json nvram read 20480 2", 0, "{\"Indirizzo\":20480,\"Dati\":[1,2]}\n"},
        });
    EXPECT_THAT(outputOf(com + "--json io show", 0),
                AllOf(HasSubstr("{\"Ingresso\":6,\"Funzione\":16,\"Nome\":\"MOLT INDIETRO\"}"),
                      HasSubstr("{\"Uscita\":6,\"Funzione\":17,\"Nome\":\"RETURN\"}")));
}

TEST(Programs, KrnsetupStartsWithItsSimulatedInstrumentsAndKeepsTheirNvram) {
    TempFolder dir("krn-gui");
    fs::create_directories(dir.path / "config" / "krnsetup");
    fs::create_directories(dir.path / "folder");
    // An empty access code: the program opens at level 0 without asking.
    dir.file("config/krnsetup/krnsetup.conf", "[Main]\nStrumento=\n");
    expectRuns(
        "env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=" + (dir / "config") + " ",
        {{KRNSETUP_PATH " --simulate --folder " + (dir / "folder") + " --quit-after 1500", 0, ""}});
    for (const char* name :
         {"simulated-serial.nvram", "simulated-usb.nvram", "simulated-ethernet.nvram"})
        EXPECT_TRUE(fs::exists(dir.path / "folder" / name)) << name;
}

TEST(Programs, BackupRestoreAndDiffOverAPseudoTerminal) {
    TempFolder dir("krn-e2e-bk");
    const std::string a = dir / "a.ini", b = dir / "b.ini";
    Krnsim source({"--profile", "p36e51", "--serial"});
    expectRuns(krnctlOn("COM: " + source.value("serial")),
               {{"backup " + a, 0, "backup of KRN-36 written to " + a + "\n"}});
    Krnsim target({"--profile", "p36e51", "--serial"});
    const std::string k = krnctlOn("COM: " + target.value("serial"));
    expectRuns(k, {{"name Other", 0, ""}, {"backup " + b, 0, ""}});
    expectRuns(krnctl + " backup diff " + a + " ",
               {{b, 0, "NOMESTRUMENTO: \"KRN-36\" -> \"Other\"\n"}, {dir / "none.ini", 4, ""}});
    expectRuns(k, {{"restore " + a + " --config < /dev/null", 3, ""},  // nobody to say yes
                   {"--yes restore " + a + " --config --calibration", 0, ""},
                   {"name", 0, "KRN-36\n"}});
}

TEST(Programs, KrnctlExitCodesAndMessages) {
    expectRuns(
        "env -u KRN_INSTRUMENT " + krnctl + " ",
        {
            {"--instrument 'COM: 0' exchange 1", 2,
             "krnctl: \"COM: 0\" is not an instrument; use \"COM: n\" (n from 1), \"COM: "
             "/dev/...\", \"USB: serial\" or \"IP: host:port\"\n"},
            {"--instrument 'COM: /dev/null/none' exchange 1", 1,
             "Communication error\nCOM: /dev/null/none\nkrnctl: exchange failed (the instrument or "
             "the link); the instrument was not changed: check the cable or the network and run "
             "krnctl exchange again.\n"},
            {"--instrument 'XYZ: 1' exchange 1", 2,
             "krnctl: \"XYZ: 1\" is not an instrument; use \"COM: n\" (n from 1), \"COM: "
             "/dev/...\", \"USB: serial\" or \"IP: host:port\"\n"},
            {"--instrument 'COM: /dev/null/none' screen -o krn-none.bmp", 1,
             "Non \u00e8 possibile comunicare con lo strumento.\nkrnctl: screen failed (the "
             "instrument or the link); the instrument was not changed: check the cable or the "
             "network and run krnctl screen again.\n"},
            {"--instrument 'COM: 1' exchange 256", 2,
             "krnctl: \"256\" is not a byte (0..255, decimal or 0x hex)\n"},
            {"--simulate p36e51 --instrument 'USB: QX3SIM0001' exchange 1", 0, "33 24\n"},
            {"--simulate nothing exchange 1", 2, "krnctl: unknown simulator profile \"nothing\"\n"},
            {"--folder / folder", 0, "/\n"},
            {"folder --json --folder /", 0, "{\"folder\":\"/\"}\n"},
            {"--folder /krn-no-such-folder folder", 4,
             "Program folder not found:\n/krn-no-such-folder\n" + fileClosing("folder")},
            {"exchange 1", 2, ""},
        });
}

TEST(Programs, KrnsimKeepsItsNvramAndBothSidesTrace) {
    TempFolder dir("krn-e2e");
    const std::string nvram = dir / "nvram.bin", simTrace = dir / "sim.trace",
                      ctlTrace = dir / "ctl.trace";
    {
        Krnsim sim({"--profile", "p36e51", "--serial", "--nvram", nvram, "--trace", simTrace});
        expectRuns(krnctlOn("COM: " + sim.value("serial")) + "--trace " + ctlTrace,
                   {{" exchange 14 0x23 0x01 0x00 0x5A", 0, "01\n"}});
        EXPECT_EQ(sim.stop(), 0);
    }
    ASSERT_EQ(fs::file_size(nvram), 512768u);
    Krnsim sim({"--profile", "p36e51", "--serial", "--nvram", nvram});
    EXPECT_EQ(sim.value("nvram"), "loaded " + nvram);
    expectRuns(krnctlOn("COM: " + sim.value("serial")),
               {{"exchange 15 0x23 0x01 0x00", 0, "5A\n"}});
    // The request and its answer, with the bytes on the line between them.
    const std::string ctlText = slurp(ctlTrace);
    std::size_t at = 0;
    for (const char* line : {"COM TX 06 0E 23 01 00 5A 92  # 14 WriteNVRam1Byte\n", "COM out 06\n",
                             "COM RX 02 01 03  # 14 WriteNVRam1Byte\n"})
        EXPECT_NE(at = ctlText.find(line, at), std::string::npos) << line << ctlText;
    const std::string simText = slurp(simTrace);
    const auto second = simText.find('\n') + 1;  // the first line after the header
    EXPECT_THAT(simText.substr(second, simText.find('\n', second) + 1 - second),
                HasSubstr("SIM RX 06 0E 23 01 00 5A 92  # 14 WriteNVRam1Byte\n"));
}

TEST(Programs, KrnctlTextsAndFonts) {
    TempFolder dir("krn-e2e-texts");
    const std::string k = krnctl + " --folder " + dir.str() + " ";
    dir.file("TestoLimiti.asm", "2 4\r\n");
    const std::string trad = dir.file(
        "TradIta.txt",
        "0 \"KRN\"\r\n1 Forza\r\n2 \"Quota\"\r\n3 \"K\xE4se\"\r\n1001 \"Lavoro wwwwwww\"\r\n");
    expectRuns(k + "texts ",
               {{"check " + trad + " --language 0", 4,
                 trad +
                     ":2: La linea 1\n    1 Forza\n    non ha il testo racchiuso tra virgolette "
                     "(\").\n" +
                     trad +
                     ":3: Il testo \"Quota\" della linea 2 è troppo lungo.\n    Massimo 4 "
                     "caratteri\n    " +
                     trad + "\n" + trad + ":4: Non è possibile usare il carattere ä (228)\n" +
                     fileClosing("texts check")},
                {"compile " + trad + " --language 0", 4,
                 "La linea 1\n1 Forza\nnon ha il testo racchiuso tra virgolette (\").\n" +
                     fileClosing("texts compile")}});
    EXPECT_FALSE(fs::exists(dir.path / "TestoIta.asm"));
    dir.file("TradIta.txt", "0 \"KRN\"\r\n1001 \"Lavoro wwwwwww\"\r\n");
    expectRuns(k, {{"texts compile " + trad + " --language 0", 0, "Eseguito!\n"},
                   {"texts export --language 0", 0, "0\t\"KRN\"\n1001\t\"Lavoro wwwwwww\"\n"},
                   {"texts export --language 4", 4, ""}});

    // A preview alone writes the picture and no font file.
    const std::string sheet = dir / "sheet.png";
    const std::string font =
        k + "fonts build --format 6x6 --font 'DejaVu Sans Mono' --size 5 --y -1";
    Result r = run(font + " --preview " + sheet);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, HasSubstr("No font file written (12 characters)"));
    EXPECT_TRUE(fs::exists(sheet));
    EXPECT_FALSE(fs::exists(dir.path / "Font6x6.asm"));
    // Bold is the default; --no-bold draws regular.
    EXPECT_THAT(run(font).out, HasSubstr("Written: " + (dir / "Font6x6.asm") + " (12 characters)"));
    const std::string bold = dir / "bold.asm", regular = dir / "regular.asm";
    expectRuns(font, {{" --bold -o " + bold, 0, ""}, {" --no-bold -o " + regular, 0, ""}});
    EXPECT_EQ(slurp(dir / "Font6x6.asm"), slurp(bold));
    EXPECT_NE(slurp(bold), slurp(regular));
    EXPECT_EQ(run(k + "fonts build --format 9x9").exitCode, 2);
}

}  // namespace
