// Bad input everywhere: a value out of range for each check of a krnctl option that takes a
// number or an address (exit 2, before any instrument is opened), the values krnsetup's boxes
// take refused by the command in its own words (exit 3), and malformed files refused with their
// line named before a single frame reaches the instrument.
#include "e2e/programs.h"

namespace {

using namespace e2e;

TEST(BadInput, EveryNumberOrAddressOutOfRangeIsAUsageError) {
    TempFolder dir("krn-bad");
    const std::string profile = dir.file("p.ini", ""), binary = dir.file("chip", {"QX\0", 3}),
                      huge = dir.file("huge.nvram", "");
    fs::resize_file(huge, 33 << 20);  // sparse, past the bound of an NVRAM file
    // The instrument is simulated in process: an option that got through would reach it.
    const std::string pre =
        "env -u KRN_INSTRUMENT " + krnctl + " --simulate p36e51 --instrument 'USB: QX3SIM0001' ";
    const std::string build = "image build --profile " + profile;
    const std::string cases[] = {
        "memory export --from -1", "memory export --from xyz", "memory export --to '&H1000000'",
        "comm-test --count -1", "job show 256", "nvram read 0x1000000", "nvram read 0 0",
        "nvram read 0xFFFFFF 2", "nvram write 0 256", "nvram write 0x1000000 1", "exchange 256",
        "fonts build --size 0", "fonts build --x 21", "texts compile --language 6 t.txt",
        "profile new --model 27 -o p2.ini", "profile new --model 0 --language1 6 -o p2.ini",

        "profile new --model 0 --date-format 2 -o p2.ini",
        "profile new --model 0 --history 61 -o p2.ini", "usb program --type 5", "sn next --type 2",
        "list --discovery-port 0",
        // Module commands go to loopback here even if a check let a value through.
        "list --discovery-address 127.0.0.300",
        "ethernet setup --mac 0036119A0001 --ip 127.0.0.3 --discovery-address 127.0.0 "
        "--discovery-port 9",
        "ethernet setup --mac 0036119A0001 --ip 127.0.0.3 --discovery-address 127.0.0.1 "
        "--discovery-port 65536",
        "ethernet setup --mac 0036119A0001 --ip 127.0.0.256 --discovery-address 127.0.0.1 "
        "--discovery-port 9",
        "ethernet setup --mac 0036/119A --ip 127.0.0.3 --discovery-address 127.0.0.1 "
        "--discovery-port 9",
        "update-mode maybe", "fonts build --format 7x7", "texts export --language 6",
        "texts menu-format --language -1",
        "profile new --model 0 --name "
        "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx -o p2.ini",
        "send-text --languages Ita,Klingon", "memtest --cycles 255", "screen -o display.jpg",
        build + " --protocol 40000", build + " --extension -1", build + " --version 100",
        build + " --memory-size 0", build + " --fb-size -1",
        "station --profile " + profile + " --bench-faulty 4",
        "identify --simulate-nvram " + profile, "identify --simulate-nvram " + dir.str(),
        "identify --simulate-eeprom " + dir.str(), "identify --simulate-eeprom " + binary,
        "identify --simulate-nvram " + huge};
    for (const std::string& c : cases) {
        const Result r = run(pre + c);
        EXPECT_EQ(r.exitCode, 2) << c << "\n" << r.out;
        EXPECT_FALSE(r.out.empty()) << c;
    }
    EXPECT_EQ(slurp(profile), "");  // a file refused as the simulated NVRAM is not overwritten
    // A kept bench whose NVRAM file is not one is refused before anything is plugged.
    fs::create_directories(dir.path / "bench");
    dir.file("bench/1.eeprom", "QX300126\nKRN QX300126\n");
    dir.file("bench/1.nvram", "abc");
    EXPECT_THAT(outputOf(pre + "station --profile " + profile + " --bench " + (dir / "bench"), 4),
                HasSubstr("1.nvram does not hold the 512768 bytes of the simulated NVRAM\n"));
    // A value krnsetup's own box would take is checked by the command, with its words: exit 3
    // and nothing written.
    const struct {
        std::string args, told;
    } refused[] = {
        {"memory export --from 100 --to 99",
         "The first address lies above the last: there is nothing to export."},
        {"deformation --a 256", "Insert a number in range 0 to 255."},
        {"deformation --b -1", "Insert a number in range 0 to 255."},
        {"counter --set -5", "Insert a number in range 0 to 2147483647."},
        {"counter --set 2147483648", "Insert a number in range 0 to 2147483647."},
        {"setting force-filter 61", "The force filter takes a value from 0 (none) to 60 (max)."},
        {"setting start-force 0", "Insert a number in range 1 to 255."},
        {"setting wait-end 256", "Insert a number in range 0 to 255."},
        {"setting prescaler 0", "Insert a number in range 1 to 255."},
    };
    for (const auto& c : refused) {
        const Result r = run(pre + c.args);
        EXPECT_EQ(r.exitCode, 3) << c.args << "\n" << r.out;
        EXPECT_EQ(e2e::told(r).rfind(c.told + "\n", 0), 0u) << c.args << "\n" << r.out;
    }
}

TEST(BadInput, AnImageFileIsRefusedWithItsFirstBadLine) {
    TempFolder dir("krn-bad");
    const std::string image = dir.file("RamSetup.asm", "12\r\n 255 \r\n256\r\n"),
                      empty = dir.file("Empty.asm", ""), closing = fileClosing("image show");
    expectRuns(krnctl + " image show ",
               {{image, 4,
                 "krnctl: cannot read " + image +
                     " as an NVRAM image (one number 0..255 per line): line 3 is not\n" + closing},
                {empty, 4, "krnctl: " + empty + " holds no byte: not an NVRAM image\n" + closing}});
    // Seven bytes (46..52): what lies after them is not shown as a value.
    const Result part =
        run(krnctl + " image show " + dir.file("Short.asm", "1\r\n2\r\n3\r\n4\r\n0\r\n0\r\n9\r\n"));
    EXPECT_EQ(part.exitCode, 0) << part.out;
    for (const char* line :
         {"  46  46..49 (job sizes below protocol 31): 1 2 3 4\n", "  52  CampioniValidi: 9\n",
          "  53  CampioniAttesaFine: (past the end of the file)\n"})
        EXPECT_THAT(part.out, HasSubstr(line));
}

// The commands that write what a file holds: a malformed file is refused with its line named
// (exit 4) before the instrument sees a single frame.
// A file of the program folder (fonts, texts, menus, loader blocks, the serial-number list) is
// put there for its row and taken away again.
TEST(BadInput, MalformedFilesAreRefusedWithTheirLineAndNothingWritten) {
    TempFolder dir("krn-bad");
    for (const auto& e : fs::directory_iterator(KRN_DATA_DIR))
        fs::copy_file(e.path(), dir.path / e.path().filename());
    const std::string profile = dir.file("p.ini", "[Profilo]\r\nTipoElettroPressa=0\r\n");
    const std::string firmware = dir.file("good.atm", "4096:1:2\r\n");
    struct Case {
        std::string command;  // the file's path follows it when it is not in the program folder
        std::string file;
        std::string text;
        std::string named;  // what the message must contain
        bool inFolder = false;
    };
    const std::string format = "format --profile " + profile;
    const Case cases[] = {
        {"memory import", "Memory.asm", "10   1   1\r\n11   x   1\r\n", "line 2"},
        {"jobs restore", "CopiaLavori.bin", " 3\r\n 1\r\n zz\r\n 2\r\n", "line 3"},
        {"firmware update", "fw.atm", "not a record\r\n", "line 1"},
        // The backup store reads any text; a file without the instrument's section is refused.
        {"restore --config", "backup.ini", "[Strumento\r\nNome=abc\r\n", "[STRUMENTO]"},
        {"format --profile", "bad.ini", "[Profilo]\r\nLingua1=1\r\nTipoElettroPresa=5\r\n",
         "cannot read " + (dir / "bad.ini") +
             ": line 3: \"TipoElettroPresa\" is not a key of a profile"},
        {format, "Font8x10.asm", "0\r\n1\r\n2x\r\n",
         "Font8x10.asm is not valid at line 3: not a number 0..255", true},
        {format, "MenuIta.asm", "\"Misura\"\t1\r\n3,1,0,1,0\r\n",
         "MenuIta.asm is not valid at line 2", true},
        {"send-text --languages Ita,Ing", "TestoIng.asm", "-24\t\"Basket full\"\r\n-23 Empty\r\n",
         "TestoIng.asm is not valid at line 2: not an entry", true},
        {"firmware update " + firmware, "blockKRNV1.asm", "4096:1\r\n",
         "blockKRNV1.asm is not valid at line 1", true},
        {"usb program", "SNlist.txt", "{\\rtf1\\ansi\r\nQX300125  KRN-Visual\\par\r\n",
         "SNlist.txt is not valid at line 3: the document ends before its last group is closed",
         true},
    };
    for (const Case& c : cases) {
        const std::string file = dir.file(c.file, c.text);
        const std::string trace = dir / "trace.txt";
        fs::remove(trace);
        const Result r = run("env -u KRN_INSTRUMENT XDG_CONFIG_HOME=" + (dir / "config") + " " +
                             krnctl + " --folder " + dir.str() + " --yes --trace " + trace +
                             " --simulate p36e51 --instrument 'USB: QX3SIM0001' " + c.command +
                             (c.inFolder ? "" : " " + file));
        EXPECT_EQ(r.exitCode, 4) << c.command << " " << c.text << "\n" << r.out;
        EXPECT_THAT(r.out, HasSubstr(c.named)) << c.command;
        EXPECT_THAT(slurp(trace), AllOf(Not(HasSubstr(" TX ")), Not(HasSubstr(" RX "))))
            << c.command;
        // The program folder gets its own file back (the list was none of it).
        if (fs::exists(fs::path(KRN_DATA_DIR) / c.file))
            fs::copy_file(fs::path(KRN_DATA_DIR) / c.file, file,
                          fs::copy_options::overwrite_existing);
        else if (c.inFolder)
            fs::remove(file);
    }
}

}  // namespace
