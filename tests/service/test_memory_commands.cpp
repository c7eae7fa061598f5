// Memory export and import, the user list, the job copy and its write-back, the differences
// log: exact file bytes, the frames used, refused files with nothing written, cancel.
#include <gtest/gtest.h>

#include <cstdint>

#include <filesystem>
#include <fstream>

#include "backup/memory_files.h"
#include "service/backup/job_copy.h"
#include "service/backup/memory_commands.h"
#include "service/command_log.h"
#include "service/core/conversation.h"
#include "support/image_folder.h"

using namespace testing_support;
using service::Outcome;
namespace fs = std::filesystem;

namespace {

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

long lines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

// A command bench with a folder of its own.
struct Bench : ImageFolder, CommandBench {
    explicit Bench(const sim::Profile& profile)
        : ImageFolder("maint" + std::to_string(counter++)), CommandBench(profile, path()) {}
    explicit Bench(const std::string& profile = "p36e51") : Bench(*sim::findProfile(profile)) {}
    // Reads with this command at addresses from `from` on (the connection reads below 1000).
    int count(int code, int from) const {
        int n = 0;
        for (int a : readAddresses(rig, code)) n += a >= from;
        return n;
    }
    std::string memory() const { return readFile(file("Memory.asm")); }
    Outcome exportTo(const std::string& path, bool perByte) {
        return service::runCommand(host, [&](service::CommandHost& h) {
            return service::ExportMemory(h, {path, perByte});
        });
    }
    static inline int counter = 0;
};

TEST(ExportMemory, ThreeAddressesGiveThreeLinesOnEveryGenerationAndSetting) {
    for (const auto& [profile, perByte, blocks] :
         {std::tuple{"p36e51", "0", true}, {"p36e51", "1", false}, {"p17e23", "0", false}}) {
        SCOPED_TRACE(std::string(profile) + " per byte " + perByte);
        Bench r(profile);
        auto& nv = r.rig.instrument.nvram();
        nv[5000] = 255, nv[5001] = 0, nv[5002] = 10;
        r.host.store.setValue("krnsetup", "Preferenze", "ExportPerByte", perByte);
        r.host.boxes.inputs = {"5000", "&H138A"};
        EXPECT_EQ(r.run(&service::ExportMemoryCommand), Outcome::Done);
        EXPECT_EQ(r.host.boxes.prompts, (Texts{"Indirizzo di partenza", "Indirizzo finale"}));
        EXPECT_EQ(r.memory(), "1388   255   FF\r\n1389   0   0\r\n138A   10   A\r\n");
        // The export's reads are the last ones before the closing sequence.
        const std::vector<int> reads = readAddresses(r.rig, blocks ? 41 : 15),
                               expected = blocks ? std::vector<int>{5000}
                                                 : std::vector<int>{5000, 5001, 5002};
        ASSERT_GE(reads.size(), expected.size());
        EXPECT_EQ(std::vector<int>(reads.end() - static_cast<long>(expected.size()), reads.end()),
                  expected);
        EXPECT_EQ(r.count(blocks ? 15 : 41, 5000), 0);
        EXPECT_TRUE(endedCleanly(r.rig));
    }
}

TEST(ExportMemory, BlockAndPerByteFilesAreIdenticalAroundUnreadableBytes) {
    std::string files[2];
    for (int perByte = 0; perByte < 2; ++perByte) {
        Bench r;
        r.rig.instrument.setUnreadable({1000, 1017});
        r.host.boxes.inputs = {"990", "1040"};
        EXPECT_EQ(r.exportTo("", perByte == 1), Outcome::Done);
        files[perByte] = r.memory();
        // Four block frames, two of which fail and are read again byte by byte.
        EXPECT_EQ(std::make_pair(r.count(41, 990), r.count(15, 990)),
                  perByte ? std::make_pair(0, 51) : std::make_pair(4, 30));
    }
    EXPECT_EQ(files[0], files[1]);
    EXPECT_NE(files[0].find("\r\n3E8   ERRORE!\r\n3E9   "), std::string::npos);
    EXPECT_NE(files[0].find("\r\n3F9   ERRORE!\r\n"), std::string::npos);
    EXPECT_EQ(lines(files[0]), 51);
}

TEST(ExportMemory, BadAddressesAndAFolderThatCannotBeWrittenAreToldBeforeConnecting) {
    const std::string box = "NVRAM addresses go from 0 to 16777215 (&HFFFFFF).";
    const std::string notCreated =
        " cannot be written: it cannot be created there (No such "
        "file or directory); nothing was written.";
    const std::tuple<std::string, std::string, const char*, Outcome> cases[] = {
        {"-1", "10", "", Outcome::Refused},
        {"0", "&H1000000", "", Outcome::Refused},
        {"5000", "5010", "missing/Memory.asm", Outcome::FileError},
    };
    for (const auto& [from, to, file, outcome] : cases) {
        Bench r;
        r.host.boxes.inputs = {from, to};
        const std::string path = *file ? r.file(file) : "";
        EXPECT_EQ(r.exportTo(path, false), outcome);
        EXPECT_EQ(r.host.boxes.texts(), Texts{*file ? "The file " + path + notCreated : box});
        EXPECT_TRUE(r.rig.instrument.requests().empty());
        EXPECT_FALSE(fs::exists(r.file("Memory.asm")));
    }
}

TEST(ExportMemory, AnInstrumentThatFallsSilentIsGivenUpAfterOneDeadExchange) {
    // Silent from the export's first block read on: the export stops at the first read that
    // heard nothing, keeps what it read, skips the closing steps. Bounds per channel: one dead
    // exchange with its resynchronisations (USB: the reset; Ethernet: 4 attempts of 1 s, each
    // with its 1 s drain), and a little for the rest.
    const std::pair<std::string, double> cases[] = {
        {"COM: 1", 2.5}, {"USB: QX3000001", 5.0}, {"IP: 127.0.0.1:1001", 8.5}};
    for (const auto& [description, bound] : cases) {
        SCOPED_TRACE(description);
        Bench r;
        r.host.selections = {description};
        r.host.boxes.inputs = {"5000", "5047"};
        std::optional<platform::TimePoint> since;
        r.rig.instrument.frameObserver = [&](bool request, const platform::Bytes& f,
                                             std::uint8_t code) {
            // The connection reads its blocks below 1000.
            if (!request || code != 41 || (f[2] | f[3] << 8) != 5000 || since) return;
            r.rig.instrument.setSilent(true);
            since = r.rig.clock.now();
        };
        EXPECT_EQ(r.run(&service::ExportMemoryCommand), Outcome::Failed);
        ASSERT_TRUE(since);
        EXPECT_LT(r.rig.elapsed(*since), bound);
        EXPECT_EQ(r.host.boxes.texts(), Texts{"Communication error"});
        EXPECT_EQ(lines(r.memory()), 15);  // the first block, read before the silence
        EXPECT_FALSE(r.rig.control.Collegato());
    }
}

// An import reads each byte before it writes it and stops at the first byte it cannot read or
// write; its count says how many bytes were written before, for krnctl to tell.
TEST(ImportMemory, WritesTheFileAndStopsAtTheFirstByteThatFails) {
    struct Case {
        std::uint32_t unreadable;
        bool silentAtSecondWrite;  // after answering it: the third byte's read fails
        Outcome outcome;
        ByteWrites writes;
        Texts boxes;
    };
    const Case cases[] = {
        {0, false, Outcome::Done, {{0x5000, 255}, {0x5001, 0}, {0x5002, 10}}, {}},
        {0x5001, false, Outcome::Failed, {{0x5000, 255}}, {"Read file"}},
        {0, true, Outcome::Failed, {{0x5000, 255}, {0x5001, 0}}, {"Read file"}},
    };
    for (const Case& c : cases) {
        Bench r;
        // A blank line is skipped, whatever follows the byte is not read.
        write(r.file("Memory.asm"), "5000   255   FF\r\n5001   0   0\r\n\r\n  5002 10 x\r\n");
        if (c.unreadable) r.rig.instrument.setUnreadable({c.unreadable});
        if (c.silentAtSecondWrite)
            r.rig.instrument.frameObserver = [&r, writes = 0](bool request, const platform::Bytes&,
                                                              std::uint8_t code) mutable {
                if (request && code == 14 && ++writes == 2) r.rig.instrument.setSilent(true);
            };
        service::ImportCount count;
        EXPECT_EQ(service::runCommand(r.host,
                                      [&](service::CommandHost& h) {
                                          return service::ImportMemory(h, "", &count);
                                      }),
                  c.outcome);
        EXPECT_EQ(byteWrites(r.rig), c.writes);
        EXPECT_EQ(std::make_pair(count.total, count.written), std::make_pair(3ul, c.writes.size()));
        EXPECT_EQ(r.host.boxes.texts(), c.boxes);
        EXPECT_EQ(c.silentAtSecondWrite || endedCleanly(r.rig), true);
    }
}

// Checked before the link opens, and against the instrument's own size once it is known. (A line
// that is no dump line: e2e BadInput and Maintenance, the reasons: backup/test_memory_files.cpp.)
TEST(ImportMemory, MalformedOrMissingFilesAreRefusedWithTheirLineAndNothingWritten) {
    const std::string refused = " is not valid at line 2: ", nothing = ".\nNothing was written.";
    const std::pair<const char*, std::string> cases[] = {
        {"10   1\r\n7D300   1\r\n", refused + "address 7D300 lies outside the NVRAM" + nothing},
        {nullptr, " cannot be read: it does not exist."},
    };
    for (const auto& [text, box] : cases) {
        Bench r;
        if (text) write(r.file("Memory.asm"), text);
        EXPECT_EQ(r.run(&service::ImportMemoryCommand), Outcome::FileError);
        EXPECT_EQ(r.host.boxes.texts(), Texts{"The file " + r.file("Memory.asm") + box});
        EXPECT_TRUE(byteWrites(r.rig).empty());
    }
}

// The list itself is exported end to end (e2e Maintenance): here the refusal without a clock.
TEST(ExportUsers, AnInstrumentWithoutAClockIsRefusedBeforeTheFileIsAsked) {
    sim::Profile withoutClock = *sim::findProfile("p36e51");
    withoutClock.hasClock = false;
    Bench r(withoutClock);
    EXPECT_EQ(r.run(&service::ExportUsersCommand), Outcome::Refused);
    EXPECT_EQ(r.host.boxes.texts(), Texts{"No clock."});
    EXPECT_TRUE(r.host.boxes.fileTitles.empty());
    EXPECT_TRUE(endedCleanly(r.rig));
}

// (A whole job copy and its write-back: the send-text tests and e2e Maintenance.)
TEST(JobCopy, CancelInTheCommErrorBoxKeepsTheEarlierCopy) {
    Bench r;
    // A conversation opened and locked as "Send text..." holds it around the job copy.
    service::Conversation conversation(r.host);
    ASSERT_EQ(conversation.connect("COM: 1"), Outcome::Done);
    r.rig.instrument.setUnreadable(
        {static_cast<std::uint32_t>(r.rig.control.IndirizzoLavori() + 40)});
    r.host.boxes.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    const std::string file = r.file("CopiaLavori.bin");
    write(file, "old");
    EXPECT_EQ(service::SalvaLavori(r.host, file), Outcome::Failed);
    EXPECT_EQ(r.host.boxes.texts(), (Texts{"Comm error", "Comm error"}));
    EXPECT_EQ(r.host.boxes.boxes[0].buttons, platform::MessageButtons::RetryCancel);
    EXPECT_EQ(readFile(file), "old");
    // The copy kept is no job copy: the write-back refuses it and writes nothing.
    EXPECT_EQ(service::RipristinaLavori(r.host, file), Outcome::FileError);
    EXPECT_EQ(
        r.host.boxes.texts().back().rfind("The file " + file + " is not valid at line 1: ", 0), 0u);
    EXPECT_TRUE(byteWrites(r.rig).empty());
}

// (The mode's menu entry toggling: app/test_gui.cpp.)
TEST(DifferencesLog, CreatedEmptyThenOneLinePerByte) {
    Bench r;
    write(r.file("Diff.asm"), "old\r\n");
    EXPECT_TRUE(service::FileDifferenze(r.host, 0, 0, 0));
    EXPECT_EQ(readFile(r.file("Diff.asm")), "");
    EXPECT_TRUE(service::FileDifferenze(r.host, 0x1F, 10, 11));
    EXPECT_TRUE(service::FileDifferenze(r.host, 300, 255, 0));
    EXPECT_EQ(readFile(r.file("Diff.asm")),
              "1F   OK: 10   A     BAD: 11   B\r\n12C   OK: 255   FF     BAD: 0   0\r\n");
}

}  // namespace
