// SendSetup end to end on the simulated instrument (stages, the bytes left) and the two menu
// flows with their boxes.
#include <gtest/gtest.h>

#include <filesystem>

#include "provisioning/image_builder.h"
#include "service/command_log.h"
#include "service/format/format_send.h"
#include "service/format/send_setup.h"
#include "service/settings/nvram_writes.h"
#include "support/image_folder.h"

using namespace testing_support;
using platform::MessageResult;
using service::Outcome;

namespace {

// SendSetup on the simulated instrument with the shipped data files.
struct Format : ::testing::Test {
    explicit Format(const std::string& profile = "p17e23")
        : folder("format"), rig(profile), host(rig, folder.path()) {
        folder.shipped();
        EXPECT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
    }
    instrument::ErrPR format(bool resetCounters = false) {
        return service::SendSetup(host, profile, resetCounters, folder.path());
    }
    Outcome menu(const char* entry) {
        host.selections = {"COM: 1"};
        return service::runCommand(host, service::menuCommands().at(entry));
    }
    ImageFolder folder;
    InstrumentRig rig;
    TestHost host;
    provisioning::CProfilo profile;
};

struct Format36 : Format {
    Format36() : Format("p36e51") {}
};

TEST_F(Format, AFullFormatLeavesTheImageTheHeaderAndTheSignature) {
    platform::NoProgress none;
    const auto im = provisioning::costruisciImmagine(
        folder.path(), provisioning::parametriStrumento(rig.control), profile, none);
    ASSERT_TRUE(im.ok);
    ASSERT_EQ(format(), instrument::errPR_OK);
    // The image is there as built from the resources on, the header as the pointers say.
    const auto& nv = rig.instrument.nvram();
    for (std::size_t i = 768 - 46; i < im.byte.size(); ++i) ASSERT_EQ(nv[46 + i], im.byte[i]) << i;
    for (const auto& b : service::puntatoriTestata(17, 23, true, profile, im.indirizzi))
        EXPECT_EQ(nv[static_cast<std::size_t>(b.indirizzo)], b.valore) << b.indirizzo;
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
    EXPECT_EQ(host.statuses, (Texts{"Initialization...", "Cleaning memory...",
                                    "Formatting memory...", "Setup options..."}));
    // Each stage's bar only fills: the restarts' figures running downwards (100 to 30, 40 to 0)
    // are run upwards.
    ASSERT_EQ(host.positions.size(), host.bars.size());
    for (std::size_t i = 0; i < host.bars.size(); ++i) {
        const auto& [stage, _] = host.bars[i];
        const auto& bar = host.positions[i];
        EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end())) << stage;
        if (stage == "Cleaning memory..." || stage == "Setup options...") {
            EXPECT_EQ(bar.back(), 100) << stage;
        }
    }
    // "FontOK" is the last thing written before the closing restart.
    const auto w = byteWrites(rig);
    EXPECT_EQ(ByteWrites(w.end() - 6, w.end()),
              (ByteWrites{{0, 'F'}, {1, 'o'}, {2, 'n'}, {3, 't'}, {4, 'O'}, {5, 'K'}}));
}

// Every question before the instrument's data is erased or overwritten has No as its default
// (two Enters never erase an instrument) and names the instrument under its own words.
TEST_F(Format, QuestionsBeforeErasingDefaultToNoAndNameTheInstrument) {
    for (const char* entry : {"mnuInviaSetup", "mnuTestMemoria", "mnuInviaTesto"}) {
        SCOPED_TRACE(entry);
        host.boxes.boxes.clear();
        host.boxes.answers = {MessageResult::No};
        rig.instrument.clearLog();
        EXPECT_EQ(menu(entry), Outcome::Cancelled);
        ASSERT_EQ(host.boxes.boxes.size(), 1u);
        EXPECT_EQ(std::tie(host.boxes.boxes[0].defaultButton, host.boxes.boxes[0].informative),
                  std::make_tuple(1, "Instrument: KRN-17, COM: 1 (RS-232)"));
        EXPECT_TRUE(byteWrites(rig).empty());
        EXPECT_TRUE(endedCleanly(rig));
    }
}

TEST_F(Format, TheLumbroFlowAsksTheCustomerQuestionsAndNoConfirmation) {
    host.boxes.answers.assign(5, MessageResult::No);  // not Vessaline, not Tovrick, ...
    host.boxes.inputs = {"2", "2", "LINE 9"};
    EXPECT_EQ(menu("mnuFormatLumbro"), Outcome::Done);
    ASSERT_FALSE(host.boxes.boxes.empty());
    EXPECT_EQ(host.boxes.texts().back(), "Format process successful.");
    for (const auto& t : host.boxes.texts()) EXPECT_EQ(t.find("Confirm?"), std::string::npos);
    EXPECT_EQ(host.boxes.prompts.back(), "Input the new instrument name");
    EXPECT_TRUE(host.profileForms.empty());
    ASSERT_TRUE(rig.open(krnlink::Channel::Serial));
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
    EXPECT_EQ(rig.control.Nome(), "LINE 9");
}

TEST_F(Format36, TheMemoryTestRunsBetweenTheEraseAndTheImageAndAFaultyCellStopsIt) {
    ASSERT_EQ(format(), instrument::errPR_OK);
    EXPECT_EQ(host.statuses, (Texts{"Initialization...", "Cleaning memory...",
                                    "Memory test:", "Formatting memory...", "Setup options..."}));
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(true));
    // The hit counter survives the format; reset-counters writes 0.
    ASSERT_TRUE(rig.control.LeggiContaColpi());
    EXPECT_EQ(rig.control.ContaColpi(), 123456);
    ASSERT_EQ(format(true), instrument::errPR_OK);
    ASSERT_TRUE(rig.control.LeggiContaColpi());
    EXPECT_EQ(rig.control.ContaColpi(), 0);
    // A faulty cell ends the next format with the memory error, before the image and with the
    // signature gone.
    rig.instrument.setFaultyCell(300000);
    rig.instrument.clearLog();
    EXPECT_EQ(format(), instrument::errPR_Memory);
    for (int code : rig.commands()) EXPECT_NE(code, 40);
    EXPECT_EQ(service::testataValida(rig.control), std::optional<bool>(false));
}

// A font or language file of the program folder that the image would take wrongly stops the
// format before the erase: the file's box with its line, no write, and the flow ends as a file
// error.
TEST_F(Format36, AMalformedFileOfTheProgramFolderStopsTheFormatBeforeAnyWrite) {
    folder.write("Font6x6.asm", {"0", "48", "x"});
    const auto before = rig.instrument.nvram();
    bool fileRefused = false;
    EXPECT_EQ(service::SendSetup(host, profile, false, folder.path(), &fileRefused),
              instrument::errPR_Setup);
    EXPECT_TRUE(fileRefused);
    EXPECT_EQ(host.boxes.texts(), (Texts{"The file " + folder.file("Font6x6.asm") +
                                         " is not valid at line 3: not a number 0..255.\n"
                                         "Nothing was written."}));
    for (int code : rig.commands()) EXPECT_TRUE(code != 14 && code != 40) << code;
    EXPECT_EQ(rig.instrument.nvram(), before);

    folder.shipped();
    // And a missing one: no "not supported" box.
    std::filesystem::remove(folder.file("TestoIta.asm"));
    host.boxes.answers = {MessageResult::Yes, MessageResult::Yes};
    EXPECT_EQ(menu("mnuInviaSetup"), Outcome::FileError);
    EXPECT_EQ(host.boxes.texts().back(),
              "The file " + folder.file("TestoIta.asm") + " cannot be read: it does not exist.");
    EXPECT_EQ(rig.instrument.nvram(), before);
}

}  // namespace
