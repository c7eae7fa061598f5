// SendSetup end to end on the simulated instrument (stages, the bytes left, the
// differences-only mode) and the two menu flows with their boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "provisioning/image_builder.h"
#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/format/format_send.h"
#include "service/format/send_setup.h"
#include "service/settings/nvram_writes.h"
#include "support/image_folder.h"

using namespace testing_support;
namespace fs = std::filesystem;
using platform::MessageResult;
using W = ByteWrites;

namespace {

// SendSetup on the simulated instrument with the shipped data files.
struct Format : ::testing::Test {
    explicit Format(const std::string& profile = "p17e23")
        : folder("format"), rig(profile), host(rig, folder.path()) {
        folder.shipped();
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    provisioning::Immagine image(const provisioning::CProfilo& p) {
        platform::NoProgress none;
        const auto v = provisioning::parametriStrumento(rig.control);
        return provisioning::costruisciImmagine(folder.path(), v, p, none);
    }
    ImageFolder folder;
    InstrumentRig rig;
    TestHost host;
};

TEST_F(Format, AFullFormatLeavesTheImageTheHeaderAndTheSignature) {
    provisioning::CProfilo p;
    p.NomeStrumento = "PRESS 4";
    const auto im = image(p);
    ASSERT_TRUE(im.ok);
    ASSERT_EQ(service::SendSetup(host, p, false, folder.path()), instrument::errPR_OK);
    const auto& nv = rig.instrument.nvram();
    // The image is there as built, apart from what the options write over it.
    std::size_t same = 0;
    for (std::size_t i = 0; i < im.byte.size(); ++i) same += nv[46 + i] == im.byte[i];
    EXPECT_GT(same, im.byte.size() - 100);
    for (std::size_t i = 768 - 46; i < im.byte.size(); ++i) ASSERT_EQ(nv[46 + i], im.byte[i]) << i;
    for (const auto& b : service::puntatoriTestata(17, 23, true, p, im.indirizzi))
        EXPECT_EQ(nv[static_cast<std::size_t>(b.indirizzo)], b.valore) << b.indirizzo;
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
    EXPECT_EQ(host.statuses, (Texts{"Initialization...", "Cleaning memory...",
                                    "Formatting memory...", "Setup options..."}));
    // Each stage's bar only fills: the restarts' figures running downwards (100 to 30, 40 to 0)
    // are run upwards.
    ASSERT_EQ(host.positions.size(), host.bars.size());
    for (std::size_t i = 0; i < host.bars.size(); ++i) {
        const auto& bar = host.positions[i];
        EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end())) << host.bars[i].first;
        if (host.bars[i].first == "Cleaning memory..." ||
            host.bars[i].first == "Setup options...") {
            EXPECT_EQ(bar.back(), 100) << host.bars[i].first;
        }
    }
    EXPECT_FALSE(fs::exists(fs::path(folder.path()) / "RamSetup.asm"));
    EXPECT_EQ(rig.control.Nome(), "PRESS 4");
    // "FontOK" is the last thing written before the closing restart.
    const auto w = byteWrites(rig);
    EXPECT_EQ(W(w.end() - 6, w.end()),
              (W{{0, 'F'}, {1, 'o'}, {2, 'n'}, {3, 't'}, {4, 'O'}, {5, 'K'}}));
}

TEST_F(Format, DifferencesOnlyWritesNothingRestartsNothingAndLogs) {
    host.setSoloDifferenze(true);
    provisioning::CProfilo p;
    const auto before = rig.instrument.nvram();
    ASSERT_EQ(service::SendSetup(host, p, false, folder.path()), instrument::errPR_OK);
    EXPECT_EQ(rig.instrument.nvram(), before);
    EXPECT_EQ(rig.instrument.restarts(), 0);
    for (int code : rig.commands()) EXPECT_TRUE(code != 14 && code != 40) << code;
    const std::string log = readFile(folder.file("Diff.asm"));
    // The image differs from the simulator's factory contents.
    EXPECT_GT(std::count(log.begin(), log.end(), '\n'), 100);
}

TEST_F(Format, TheStandardFlowAsksTwiceThenTellsTheSuccess) {
    host.selections = {"COM: 1"};
    host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(service::runCommand(host, service::menuCommands().at("mnuInviaSetup")),
              service::Outcome::Done);
    EXPECT_EQ(host.boxes.texts(),
              (Texts{"All the values previously set up will be erased.\nAre you sure you want to "
                     "continue?",
                     "Confirm?\n(Version detected: 2.05)", "Format process successful."}));
    EXPECT_EQ(host.profileForms.size(), 1u);
    EXPECT_TRUE(endedCleanly(rig));
}

// Every question before the instrument's data is erased or overwritten has No as its default
// (two Enters never erase an instrument) and names the instrument under its own words.
TEST_F(Format, QuestionsBeforeErasingDefaultToNoAndNameTheInstrument) {
    for (const char* entry : {"mnuInviaSetup", "mnuTestMemoria", "mnuInviaTesto"}) {
        host.selections = {"COM: 1"};
        host.boxes.boxes.clear();
        host.boxes.answers = {MessageResult::No};
        rig.instrument.clearLog();
        EXPECT_EQ(service::runCommand(host, service::menuCommands().at(entry)),
                  service::Outcome::Cancelled)
            << entry;
        ASSERT_EQ(host.boxes.boxes.size(), 1u) << entry;
        EXPECT_EQ(host.boxes.boxes[0].defaultButton, 1) << entry;
        EXPECT_EQ(host.boxes.boxes[0].informative, "Instrument: KRN-17, COM: 1 (RS-232)") << entry;
        EXPECT_TRUE(byteWrites(rig).empty()) << entry;
        EXPECT_TRUE(endedCleanly(rig)) << entry;
    }
}

TEST_F(Format, TheLumbroFlowAsksTheCustomerQuestionsAndNoConfirmation) {
    host.selections = {"COM: 1"};
    host.boxes.answers.assign(5, MessageResult::No);  // not Vessaline, not Tovrick, ...
    host.boxes.inputs = {"2", "2", "LINE 9"};
    EXPECT_EQ(service::runCommand(host, service::menuCommands().at("mnuFormatLumbro")),
              service::Outcome::Done);
    ASSERT_FALSE(host.boxes.boxes.empty());
    EXPECT_EQ(host.boxes.texts().back(), "Format process successful.");
    for (const auto& t : host.boxes.texts()) EXPECT_EQ(t.find("Confirm?"), std::string::npos);
    EXPECT_EQ(host.boxes.prompts.back(), "Input the new instrument name");
    EXPECT_TRUE(host.profileForms.empty());
    ASSERT_TRUE(rig.open(krnlink::Channel::Serial));
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
    EXPECT_EQ(rig.control.Nome(), "LINE 9");
}

}  // namespace

namespace {

struct Format36 : Format {
    Format36() : Format("p36e51") {}
};

TEST_F(Format36, TheMemoryTestRunsBetweenTheEraseAndTheImage) {
    provisioning::CProfilo p;
    ASSERT_EQ(service::SendSetup(host, p, false, folder.path()), instrument::errPR_OK);
    EXPECT_EQ(host.statuses, (Texts{"Initialization...", "Cleaning memory...",
                                    "Memory test:", "Formatting memory...", "Setup options..."}));
    // Only the image send counts bytes; the other stages count percent, cycles or seconds, and a
    // bar that showed them as bytes would be wrong.
    EXPECT_EQ(host.bars, (std::vector<std::pair<std::string, long>>{{"Initialization...", 0},
                                                                    {"Cleaning memory...", 0},
                                                                    {"Memory test:", 0},
                                                                    {"Formatting memory...", 1},
                                                                    {"Setup options...", 0}}));
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
    // The hit counter survives the format (reset-counters would write 0).
    ASSERT_TRUE(rig.control.LeggiContaColpi());
    EXPECT_EQ(rig.control.ContaColpi(), 123456);
}

// A font or language file of the program folder that the image would take wrongly stops the
// format before the erase: the file's box with its line, no write, and the flow ends as a file
// error (before, the instrument was erased and tested, and then the send failed on the image).
TEST_F(Format36, AMalformedFileOfTheProgramFolderStopsTheFormatBeforeAnyWrite) {
    folder.write("Font6x6.asm", {"0", "48", "x"});
    const auto before = rig.instrument.nvram();
    provisioning::CProfilo p;
    bool fileRefused = false;
    EXPECT_EQ(service::SendSetup(host, p, false, folder.path(), &fileRefused),
              instrument::errPR_Setup);
    EXPECT_TRUE(fileRefused);
    EXPECT_EQ(host.boxes.texts(), (Texts{"The file " + folder.file("Font6x6.asm") +
                                         " is not valid at line 3: not a number 0..255.\n"
                                         "Nothing was written."}));
    for (int code : rig.commands()) EXPECT_TRUE(code != 14 && code != 40) << code;
    EXPECT_EQ(rig.instrument.nvram(), before);

    folder.shipped();
    fs::remove(folder.file("TestoIta.asm"));  // and a missing one: no "not supported" box
    host.boxes.boxes.clear();
    host.selections = {"COM: 1"};
    host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(service::runCommand(host, service::menuCommands().at("mnuInviaSetup")),
              service::Outcome::FileError);
    EXPECT_EQ(host.boxes.texts().back(),
              "The file " + folder.file("TestoIta.asm") + " cannot be read: it does not exist.");
    EXPECT_EQ(rig.instrument.nvram(), before);
}

TEST_F(Format36, AFaultyCellEndsTheFormatWithTheMemoryErrorAndNoSignature) {
    rig.instrument.setFaultyCell(300000);
    provisioning::CProfilo p;
    EXPECT_EQ(service::SendSetup(host, p, false, folder.path()), instrument::errPR_Memory);
    for (int code : rig.commands()) EXPECT_NE(code, 40);
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(false));
}

TEST_F(Format36, ResetCountersWritesZero) {
    provisioning::CProfilo p;
    ASSERT_EQ(service::SendSetup(host, p, true, folder.path()), instrument::errPR_OK);
    ASSERT_TRUE(rig.control.LeggiContaColpi());
    EXPECT_EQ(rig.control.ContaColpi(), 0);
}

}  // namespace
