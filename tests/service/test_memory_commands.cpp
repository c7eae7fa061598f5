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

// A folder of its own for every bench.
struct Folder : ImageFolder {
    Folder() : ImageFolder("maint" + std::to_string(counter++)) {}
    static inline int counter = 0;
};

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct Bench : Folder, CommandBench {
    explicit Bench(const sim::Profile& profile) : CommandBench(profile, path()) {}
    explicit Bench(const std::string& profile = "p36e51") : Bench(*sim::findProfile(profile)) {}
    // Reads with this command at addresses from `from` on (the connection reads below 1000).
    int count(int code, int from = 0) const {
        int n = 0;
        for (int a : readAddresses(rig, code)) n += a >= from;
        return n;
    }
    const Folder& folder = *this;
};

TEST(ExportMemory, ThreeAddressesGiveThreeLinesOnEveryGeneration) {
    for (const char* profile : {"p36e51", "p17e23"}) {
        for (bool perByte : {false, true}) {
            Bench r(profile);
            auto& nv = r.rig.instrument.nvram();
            nv[16] = 255, nv[17] = 0, nv[18] = 10;
            r.host.boxes.inputs = {"16", "&H12"};
            r.rig.instrument.clearLog();
            EXPECT_EQ(service::ExportMemory(r.host, {"", perByte}), Outcome::Done);
            EXPECT_EQ(r.host.boxes.prompts, (Texts{"Indirizzo di partenza", "Indirizzo finale"}));
            EXPECT_EQ(readFile(r.folder.file("Memory.asm")),
                      "10   255   FF\r\n11   0   0\r\n12   10   A\r\n");
            const bool blocks = !perByte && std::string(profile) == "p36e51";
            // The export's reads are the last ones before the closing sequence.
            Texts reads;
            for (const auto& q : r.rig.instrument.requests())
                if (q.size() == 6 && (q[1] == 15 || q[1] == 41))
                    reads.push_back(std::to_string(q[1]) + "@" + std::to_string(q[2] | q[3] << 8));
            const Texts expected = blocks ? Texts{"41@16"} : Texts{"15@16", "15@17", "15@18"};
            ASSERT_GE(reads.size(), expected.size());
            EXPECT_EQ(
                Texts(reads.end() - static_cast<std::ptrdiff_t>(expected.size()), reads.end()),
                expected)
                << profile << perByte;
            EXPECT_TRUE(endedCleanly(r.rig));
        }
    }
}

TEST(ExportMemory, TheHiddenSettingKeepsTheByteByByteWay) {
    for (const char* setting : {"0", "1"}) {
        Bench r;
        r.host.store.setValue("krnsetup", "Preferenze", "ExportPerByte", setting);
        r.host.boxes.inputs = {"5000", "5029"};
        EXPECT_EQ(r.run(&service::ExportMemoryCommand), Outcome::Done);
        EXPECT_EQ(r.count(41, 5000), setting[0] == '1' ? 0 : 2) << setting;
        EXPECT_EQ(r.count(15, 5000), setting[0] == '1' ? 30 : 0) << setting;
    }
}

TEST(ExportMemory, BlockAndPerByteFilesAreIdenticalAroundUnreadableBytes) {
    std::string files[2];
    for (int perByte = 0; perByte < 2; ++perByte) {
        Bench r;
        r.rig.instrument.setUnreadable({1000, 1017});
        r.host.boxes.inputs = {"990", "1040"};
        EXPECT_EQ(service::ExportMemory(r.host, {"", perByte == 1}), Outcome::Done);
        files[perByte] = readFile(r.folder.file("Memory.asm"));
        if (perByte == 0) {
            // Four block frames, two of which fail and are read again byte by byte.
            EXPECT_EQ(r.count(41, 990), 4);
            EXPECT_EQ(r.count(15, 990), 30);
        }
    }
    EXPECT_EQ(files[0], files[1]);
    EXPECT_NE(files[0].find("\r\n3E8   ERRORE!\r\n3E9   "), std::string::npos);
    EXPECT_NE(files[0].find("\r\n3F9   ERRORE!\r\n"), std::string::npos);
    EXPECT_EQ(std::count(files[0].begin(), files[0].end(), '\n'), 51);
}

TEST(ExportMemory, CancelStopsTheLoopAndStillUnlocks) {
    Bench r;
    r.host.boxes.inputs = {"0", "524287"};
    r.host.cancelAfterEvents = 3;
    EXPECT_EQ(r.run(&service::ExportMemoryCommand), Outcome::Cancelled);
    const std::string text = readFile(r.folder.file("Memory.asm"));
    EXPECT_LT(std::count(text.begin(), text.end(), '\n'), 2000);
    EXPECT_EQ(r.host.status, "");
    EXPECT_TRUE(endedCleanly(r.rig));
}

TEST(ExportMemory, AddressesOutsideTheAddressSpaceAreRefusedBeforeConnecting) {
    for (const auto& range :
         {std::pair<std::string, std::string>{"-1", "10"}, {"0", "&H1000000"}}) {
        Bench r;
        r.host.boxes.inputs = {range.first, range.second};
        EXPECT_EQ(r.run(&service::ExportMemoryCommand), Outcome::Refused);
        EXPECT_EQ(r.host.boxes.texts(), Texts{"NVRAM addresses go from 0 to 16777215 (&HFFFFFF)."});
        EXPECT_TRUE(r.rig.instrument.requests().empty());
        EXPECT_FALSE(fs::exists(r.folder.file("Memory.asm")));
    }
}

TEST(ExportMemory, AFolderThatCannotBeWrittenIsToldAndNothingRead) {
    Bench r;
    r.host.boxes.inputs = {"5000", "5010"};
    const std::string file = r.folder.file("missing/Memory.asm");
    EXPECT_EQ(service::ExportMemory(r.host, {file, false}), Outcome::FileError);
    EXPECT_EQ(r.host.boxes.texts(), Texts{"The file " + file +
                                          " cannot be written: it cannot be created there (No such "
                                          "file or directory); nothing was written."});
    EXPECT_TRUE(r.rig.instrument.requests().empty());
}

TEST(ExportMemory, AnInstrumentThatFallsSilentIsGivenUpAfterOneDeadExchange) {
    // Silent from the second block read on. Before, every byte of the range was tried on its
    // own with all its attempts and the closing sequence tried each step: about 50 s on a
    // serial line for 48 bytes, and more the longer the range. Now the export stops at the first
    // read that heard nothing at all, with what it read so far, and the closing steps are
    // skipped. Bounds per channel: one dead exchange (serial 0.7 s echo + 1.4 s
    // resynchronisation; USB 0.7 s, the reset and two resynchronisations of 1.4 s, 0.7 s;
    // Ethernet 4 attempts of 1 s, each with its 1 s drain), and a little for the rest.
    struct Case {
        std::string description;
        double bound;
    };
    for (const Case& c :
         {Case{"COM: 1", 2.5}, Case{"USB: QX3000001", 5.0}, Case{"IP: 127.0.0.1:1001", 8.5}}) {
        Bench r;
        r.host.selections = {c.description};
        r.host.boxes.inputs = {"5000", "5047"};
        int blocks = 0;
        bool silent = false;
        platform::TimePoint since{};
        r.rig.instrument.frameObserver = [&](bool request, const platform::Bytes& f,
                                             std::uint8_t code) {
            // The export's first block read; the connection reads blocks below 1000.
            if (!request || code != 41 || (f[2] | f[3] << 8) != 5000 || ++blocks != 1) return;
            r.rig.instrument.setSilent(true);
            since = r.rig.clock.now();
            silent = true;
        };
        EXPECT_EQ(r.run(&service::ExportMemoryCommand), Outcome::Failed) << c.description;
        ASSERT_TRUE(silent);
        EXPECT_LT(r.rig.elapsed(since), c.bound) << c.description;
        EXPECT_EQ(r.host.boxes.texts(), Texts{"Communication error"});
        // The first block was read before the silence and is in the file, nothing after it.
        const std::string text = readFile(r.folder.file("Memory.asm"));
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 15) << c.description;
        EXPECT_FALSE(r.rig.control.Collegato());
    }
}

TEST(ImportMemory, WritesExactlyTheBytesOfTheFileAfterReadingEach) {
    Bench r;
    write(r.folder.file("Memory.asm"), "10   255   FF\r\n11   0   0\r\n\r\n  12 10 whatever\r\n");
    EXPECT_EQ(r.run(&service::ImportMemoryCommand), Outcome::Done);
    EXPECT_EQ(byteWrites(r.rig), (ByteWrites{{16, 255}, {17, 0}, {18, 10}}));
    auto reads = readAddresses(r.rig, 15);
    EXPECT_EQ(std::vector<int>(reads.end() - 3, reads.end()), (std::vector<int>{16, 17, 18}));
    EXPECT_EQ(r.rig.instrument.nvram()[16], 255);
    EXPECT_TRUE(endedCleanly(r.rig));
}

// An import stops at the first byte it cannot read or write, and its count says how many bytes
// were written before, for krnctl to tell.
TEST(ImportMemory, StopsAtTheFirstByteThatFailsAndCountsTheBytesWritten) {
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
        write(r.folder.file("Memory.asm"), "5000   255   FF\r\n5001   0   0\r\n5002   10   A\r\n");
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
        EXPECT_EQ(count.total, 3u);
        EXPECT_EQ(count.written, c.writes.size());
        if (c.silentAtSecondWrite) continue;
        EXPECT_EQ(r.host.boxes.texts(), c.boxes);
        EXPECT_TRUE(endedCleanly(r.rig));
    }
}

TEST(ImportMemory, MalformedFilesAreRefusedWithTheirLineAndNothingWritten) {
    struct Case {
        const char* text;
        std::string box;
    };
    const Case cases[] = {
        {"10   255   FF\r\ngarbage\r\n", "line 2: not a hexadecimal address and a decimal byte"},
        {"10   ERRORE!\r\n", "line 1: not a hexadecimal address and a decimal byte"},
        {"10   256\r\n", "line 1: not a hexadecimal address and a decimal byte"},
        {"10\r\n", "line 1: not a hexadecimal address and a decimal byte"},
        {"10   1\r\n7D300   1\r\n", "line 2: address 7D300 lies outside the NVRAM"},
        {"123456789   1\r\n", "line 1: not a hexadecimal address and a decimal byte"},
    };
    for (const Case& c : cases) {
        Bench r;
        r.rig.instrument.nvram()[0] = 0x4B;
        write(r.folder.file("Memory.asm"), c.text);
        EXPECT_EQ(r.run(&service::ImportMemoryCommand), Outcome::FileError) << c.text;
        ASSERT_EQ(r.host.boxes.texts().size(), 1u) << c.text;
        EXPECT_NE(r.host.boxes.texts()[0].find(c.box), std::string::npos)
            << r.host.boxes.texts()[0];
        EXPECT_TRUE(byteWrites(r.rig).empty()) << c.text;
        EXPECT_EQ(r.rig.instrument.nvram()[0], 0x4B);
    }
    Bench missing;
    EXPECT_EQ(missing.run(&service::ImportMemoryCommand), Outcome::FileError);
    EXPECT_EQ(missing.host.boxes.texts(), Texts{"The file " + missing.folder.file("Memory.asm") +
                                                " cannot be read: it does not exist."});
    EXPECT_TRUE(missing.rig.instrument.requests().empty());
}

TEST(ExportUsers, OneScrambledNumberPerByteOfTheUserArea) {
    Bench r;
    const std::string file = r.folder.file("list.atm");
    r.host.boxes.files = {file};
    EXPECT_EQ(r.run(&service::ExportUsersCommand), Outcome::Done);
    EXPECT_EQ(r.host.boxes.fileTitles, Texts{"Users' list"});
    ASSERT_EQ(r.host.boxes.texts(), Texts{"Export OK"});
    auto& users = r.rig.control.users();
    std::string expected;
    for (int i = 0; i < users.SizeDatiUtente; ++i)
        expected +=
            backup::userListLine(
                r.rig.instrument.nvram()[static_cast<std::size_t>(users.AddressListaUtenti + i)]) +
            "\r\n";
    EXPECT_GT(users.SizeDatiUtente, 0);
    EXPECT_EQ(readFile(file), expected);
    EXPECT_TRUE(endedCleanly(r.rig));

    sim::Profile withoutClock = *sim::findProfile("p36e51");
    withoutClock.hasClock = false;
    Bench noClock(withoutClock);
    EXPECT_EQ(noClock.run(&service::ExportUsersCommand), Outcome::Refused);
    EXPECT_EQ(noClock.host.boxes.texts(), Texts{"No clock."});
    EXPECT_TRUE(noClock.host.boxes.fileTitles.empty());
    EXPECT_TRUE(endedCleanly(noClock.rig));
}

// A conversation opened and locked as "Send text..." holds it around the job copy.
struct Locked : Bench {
    explicit Locked(const std::string& profile) : Bench(profile), conversation(host) {
        EXPECT_EQ(conversation.connect("COM: 1"), Outcome::Done);
    }
    service::Conversation conversation;
};

TEST(JobCopy, SavesEveryJobInUseAndWritesBackExactlyThat) {
    for (const char* profile : {"p36e51", "p41e1072"}) {
        Locked r(profile);
        auto& c = r.rig.control;
        auto& nv = r.rig.instrument.nvram();
        nv[105] = 3;
        const auto start = static_cast<std::size_t>(c.IndirizzoLavori());
        const auto size = static_cast<std::size_t>(3 * c.DimensioneLavori());
        for (std::size_t i = 0; i < size; ++i) nv[start + i] = static_cast<std::uint8_t>(i * 7);
        const std::vector<std::uint8_t> before(nv.begin(), nv.end());
        const std::string file = r.folder.file("CopiaLavori.bin");
        ASSERT_EQ(service::SalvaLavori(r.host, file), Outcome::Done) << profile;
        const std::string text = readFile(file);
        EXPECT_EQ(text.substr(0, text.find('\n') + 1), " " + std::to_string(size) + "\r\n")
            << profile;
        EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), size + 1);

        for (std::size_t i = 0; i < size + 50; ++i) nv[start + i] = 0xEE;
        r.rig.instrument.clearLog();
        r.rig.instrument.setHistoryLimit(SIZE_MAX, SIZE_MAX);  // every write is counted
        ASSERT_EQ(service::RipristinaLavori(r.host, file), Outcome::Done) << profile;
        EXPECT_EQ(byteWrites(r.rig).size(), size);
        for (std::size_t i = 0; i < size; ++i)
            ASSERT_EQ(nv[start + i], before[start + i]) << profile << " " << i;
        EXPECT_EQ(nv[start + size], 0xEE);  // nothing beyond what was saved
    }
}

TEST(JobCopy, MalformedCopiesAreRefusedWithNothingWritten) {
    Locked r("p36e51");
    const std::int32_t capacity = service::jobMemoryCapacity(r.rig.control);
    const std::pair<std::string, std::string> cases[] = {
        {" 3\r\n 1\r\n 2\r\n", "line 1: 3 bytes announced, 2 lines follow"},
        {" 2\r\n 1\r\n 2\r\n 3\r\n", "line 1: 2 bytes announced, 3 lines follow"},
        {" 2\r\n 1\r\n 256\r\n", "line 3: not a byte value 0..255"},
        {" 2\r\n 1\r\n-1\r\n", "line 3: not a byte value 0..255"},
        {" 2\r\n x\r\n 1\r\n", "line 2: not a byte value 0..255"},
        {"", "line 1: the file is empty"},
        {" " + std::to_string(capacity + 1) + "\r\n", "do not fit the job memory"},
    };
    for (const auto& [text, box] : cases) {
        r.host.boxes.boxes.clear();
        r.rig.instrument.clearLog();
        const std::string file = r.folder.file("bad.bin");
        write(file, text);
        EXPECT_EQ(service::RipristinaLavori(r.host, file), Outcome::FileError) << text;
        ASSERT_EQ(r.host.boxes.texts().size(), 1u);
        EXPECT_NE(r.host.boxes.texts()[0].find(box), std::string::npos) << r.host.boxes.texts()[0];
        EXPECT_TRUE(byteWrites(r.rig).empty()) << text;
    }
}

TEST(JobCopy, CancelInTheCommErrorBoxKeepsTheEarlierCopy) {
    Locked r("p36e51");
    r.rig.instrument.setUnreadable(
        {static_cast<std::uint32_t>(r.rig.control.IndirizzoLavori() + 40)});
    r.host.boxes.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    const std::string file = r.folder.file("CopiaLavori.bin");
    write(file, "old");
    EXPECT_EQ(service::SalvaLavori(r.host, file), Outcome::Failed);
    EXPECT_EQ(r.host.boxes.texts(), (Texts{"Comm error", "Comm error"}));
    EXPECT_EQ(r.host.boxes.boxes[0].buttons, platform::MessageButtons::RetryCancel);
    EXPECT_EQ(readFile(file), "old");
}

TEST(DifferencesLog, CreatedEmptyThenOneLinePerByte) {
    Bench r;
    write(r.folder.file("Diff.asm"), "old\r\n");
    EXPECT_TRUE(service::FileDifferenze(r.host, 0, 0, 0));
    EXPECT_EQ(readFile(r.folder.file("Diff.asm")), "");
    EXPECT_TRUE(service::FileDifferenze(r.host, 0x1F, 10, 11));
    EXPECT_TRUE(service::FileDifferenze(r.host, 300, 255, 0));
    EXPECT_EQ(readFile(r.folder.file("Diff.asm")),
              "1F   OK: 10   A     BAD: 11   B\r\n12C   OK: 255   FF     BAD: 0   0\r\n");

    EXPECT_FALSE(r.host.soloDifferenze());
    EXPECT_EQ(r.run(&service::DifferencesModeCommand), Outcome::Done);
    EXPECT_TRUE(r.host.soloDifferenze());
    r.run(&service::DifferencesModeCommand);
    EXPECT_FALSE(r.host.soloDifferenze());
    EXPECT_TRUE(r.rig.instrument.requests().empty());
}

}  // namespace
