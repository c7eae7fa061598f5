// The maintenance commands and the memory files through krnctl and krnsim on a pseudo-terminal:
// the settings are read and changed, the export with block reads and byte by byte gives the same
// file, the import writes it back.
#include "e2e/programs.h"

namespace {

using namespace e2e;

TEST(Maintenance, SettingsJobsUsersAndTheMemoryFilesOverAPseudoTerminal) {
    Krnsim sim({"--profile", "p36e51", "--serial", "--restart-ms", "300"});
    TempFolder folder("krn-e2e-maint");
    const std::string k = krnctlOn("COM: " + sim.value("serial"), folder.str());
    const std::string jobs = folder / "jobs.bin", users = folder / "u.atm";
    // The line every failed or refused command ends with.
    const auto kept = [](const std::string& path, const std::string& happened) {
        return "krnctl: " + path + " " + happened +
               "; the instrument keeps either the old value or the new one: run krnctl " + path +
               " without a value to see which.\n";
    };
    const std::string refused = "was refused or cancelled";
    expectRuns(k,
               {
                   {"brake-name", 0, "Freno\n"},
                   {"brake-name 'Fermo B'", 0, "Fermo B\n"},
                   {"brake-name 'Fourteen chars'", 3, "Bad name\n" + kept("brake-name", refused)},
                   {"--json brake-name", 0, "{\"NomeFreno\":\"Fermo B\"}\n"},
                   {"deformation", 0, "CoefDeformazioneA: 12\nCoefDeformazioneB: 34\n"},
                   // The coefficients and the counter are rounded to whole numbers, halves to even.
                   {"deformation --a 3.6", 0, "CoefDeformazioneA: 4\nCoefDeformazioneB: 34\n"},
                   {"deformation --b 2.5", 0, "CoefDeformazioneA: 4\nCoefDeformazioneB: 2\n"},
                   {"deformation", 0, "CoefDeformazioneA: 4\nCoefDeformazioneB: 2\n"},
                   {"counter --set 1.0", 0, "Writing counter done\n1\n"},
                   {"counter", 0, "1\n"},
                   {"--json setting wait-end", 0, "{\"CampioniAttesaFine\":10}\n"},
                   // A value the command refuses is told in its own words, nothing written (exit
                   // 3); the ranges are the bad-input test's.
                   {"setting start-force abc", 3,
                    "Insert a number.\n" + kept("setting start-force", refused)},
                   {"setting start-force 40", 3,
                    "Send new value?\n" + kept("setting start-force", refused)},
                   {"setting start-force 40 --yes", 0, "Send new value?\n40\n"},
                   {"setting start-force", 0, "40\n"},
                   {"--yes setting force-filter 5", 1,
                    "Send new value?\nCommunication error.\n" +
                        kept("setting force-filter", "failed (the instrument or the link)")},
                   {"jobs save " + jobs, 0, "jobs saved to " + jobs + "\n"},
                   {"jobs restore " + jobs, 0, "jobs written back from " + jobs + "\n"},
                   {"users export " + users, 0, "Export OK\nusers exported to " + users + "\n"},
                   {"setting", 2, ""},
               });

    // The export by blocks and byte by byte give the same file; the import writes it back.
    const std::string blocks = folder / "blocks.asm", single = folder / "single.asm";
    expectRuns(k,
               {{"memory export --from 0 --to 599 -o " + blocks, 0, "exported to " + blocks + "\n"},
                {"memory export --from 0 --to '&H257' --per-byte -o " + single, 0, ""}});
    const std::string text = slurp(blocks);
    EXPECT_EQ(text, slurp(single));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 600);
    EXPECT_THAT(text, HasSubstr("\r\n6A   "));  // the name's length byte at 106

    folder.file("Memory.asm", "5000   7   7\r\n5001   200   C8\r\n");
    const std::string bad = folder.file("bad.asm", "5000   9\r\nrubbish\r\n");
    expectRuns(k, {{"memory import", 0, ""}, {"nvram read 0x5000 2", 0, "005000: 07 C8\n"}});
    EXPECT_THAT(outputOf(k + "memory import " + bad, 4), HasSubstr("is not valid at line 2"));
    EXPECT_EQ(run(k + "nvram read 0x5000 1").out, "005000: 07\n");
}

}  // namespace
