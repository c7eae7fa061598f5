// The "&Setting" commands against the simulated instrument: exact prompts and boxes, the bytes
// written, the restart where it belongs, and the closing sequence on every path.
#include <gtest/gtest.h>

#include <algorithm>

#include "service/command_log.h"
#include "service/core/menu_commands.h"
#include "service/settings/setting_commands.h"
#include "service/settings/value_commands.h"
#include "support/test_host.h"

using namespace testing_support;
using service::Outcome;
using Writes = std::vector<std::pair<int, int>>;

namespace {

struct Bench {
    explicit Bench(const sim::Profile& p) : rig(p), host(rig) { host.selections = {"COM: 1"}; }
    explicit Bench(const std::string& name = "p36e51") : Bench(*sim::findProfile(name)) {}
    Outcome run(service::MenuCommand command) {
        rig.instrument.clearLog();
        return service::runCommand(host, command);
    }
    InstrumentRig rig;
    TestHost host;
};

Writes nameBytes(const std::string& name) {
    Writes w;
    for (std::size_t i = 0; i < name.size(); ++i)
        w.emplace_back(256 + static_cast<int>(i), static_cast<unsigned char>(name[i]));
    w.emplace_back(255, static_cast<int>(name.size()));
    return w;
}

TEST(SetPointName, NamesUpToThirteenCharactersAreWrittenCharactersFirst) {
    struct Case {
        std::string answer;
        Outcome outcome;
        std::vector<std::string> boxes;
        Writes writes;
    };
    const Case cases[] = {
        {"  Stop 13 chars", Outcome::Done, {}, nameBytes("Stop 13 chars")},
        {"A", Outcome::Done, {}, nameBytes("A")},
        {"Fourteen chars", Outcome::Refused, {"Bad name"}, {}},
        {"   ", Outcome::Cancelled, {}, {}},
    };
    for (const Case& c : cases) {
        Bench r;
        r.host.boxes.inputs = {c.answer};
        EXPECT_EQ(r.run(&service::SetPointNameCommand), c.outcome) << c.answer;
        EXPECT_EQ(r.host.boxes.prompts,
                  std::vector<std::string>{"Input the new set point function name"});
        EXPECT_EQ(r.host.boxes.texts(), c.boxes) << c.answer;
        EXPECT_EQ(byteWrites(r.rig), c.writes) << c.answer;
        EXPECT_TRUE(endedCleanly(r.rig)) << c.answer;
    }
}

TEST(SetPointName, UnreadableNamesAreReadingErrors) {
    // A length byte of 14 is not cut to 13.
    Bench longName;
    longName.rig.instrument.nvram()[255] = 14;
    EXPECT_EQ(longName.run(&service::SetPointNameCommand), Outcome::Failed);
    EXPECT_EQ(longName.host.boxes.texts(), std::vector<std::string>{"Name reading error."});
    EXPECT_TRUE(longName.host.boxes.prompts.empty());
    EXPECT_TRUE(byteWrites(longName.rig).empty());
    EXPECT_TRUE(endedCleanly(longName.rig));
}

// A value the generation does not have keeps the command's box, says why, and is a refusal: the
// link did not fail.
TEST(MissingCapability, TheBoxSaysTheGenerationHasNoSuchField) {
    struct Case {
        service::MenuCommand command;
        sim::Profile profile;
        std::string box;
    };
    const Case cases[] = {
        {&service::SetPointNameCommand, profileWith("p17e23", 205, 19),
         "Name reading error.\nThis instrument (extension 19) has no set-point function name."},
        {&service::DeformationCommand, *sim::findProfile("p17e23"),
         "Communication error\nThis instrument (extension 23) has no structure deformation "
         "coefficients."},
    };
    for (const Case& c : cases) {
        Bench r(c.profile);
        r.host.boxes.inputs = {"5", "5"};
        EXPECT_EQ(r.run(c.command), Outcome::Refused) << c.box;
        EXPECT_EQ(r.host.boxes.texts(), std::vector<std::string>{c.box});
        EXPECT_TRUE(r.host.boxes.prompts.empty());
        EXPECT_TRUE(byteWrites(r.rig).empty());
        EXPECT_TRUE(endedCleanly(r.rig));
    }
}

// Names go in without control characters, and the flow leaves the name the instrument now
// keeps where the caller reads it.
TEST(Names, ControlCharactersAreRefusedAndTheKeptNameIsReadBack) {
    struct Case {
        service::MenuCommand command;
        std::string answer;
        Outcome outcome;
        std::vector<std::string> boxes;
        std::string kept;  // Nome or NomeFreno afterwards
    };
    const Case cases[] = {
        {&service::InstrumentNameCommand, "AB\r\nNUTENTI=9", Outcome::Refused, {"Bad name"}, ""},
        {&service::InstrumentNameCommand, "A\tB", Outcome::Refused, {"Bad name"}, ""},
        {&service::SetPointNameCommand, "A\x7F", Outcome::Refused, {"Bad name"}, ""},
        {&service::InstrumentNameCommand, "  AB  ", Outcome::Done, {}, "AB"},
        {&service::SetPointNameCommand, "  AB  ", Outcome::Done, {}, "AB"},
        {&service::SetPointNameCommand, "Fr\xC3\xA8\xE4\xB8\xAD", Outcome::Done, {}, "Fr\xC3\xA8?"},
    };
    for (const Case& c : cases) {
        Bench r;
        r.host.boxes.inputs = {c.answer};
        EXPECT_EQ(r.run(c.command), c.outcome) << c.answer;
        EXPECT_EQ(r.host.boxes.texts(), c.boxes) << c.answer;
        if (c.outcome != Outcome::Done) {
            EXPECT_TRUE(byteWrites(r.rig).empty()) << c.answer;
            continue;
        }
        const bool brake = c.command == &service::SetPointNameCommand;
        EXPECT_EQ(brake ? r.rig.control.values().NomeFreno : r.rig.control.Nome(), c.kept);
    }
}

TEST(InstrumentName, TheCurrentNameIsOfferedAndTheAnswerWritten) {
    Bench r;
    r.host.boxes.inputs = {" Press 7 "};
    EXPECT_EQ(r.run(&service::InstrumentNameCommand), Outcome::Done);
    EXPECT_EQ(r.host.boxes.prompts, std::vector<std::string>{"Input the new instrument name"});
    const auto& nv = r.rig.instrument.nvram();
    EXPECT_EQ(std::string(nv.begin() + 107, nv.begin() + 107 + nv[106]), "Press 7");
    EXPECT_TRUE(endedCleanly(r.rig));

    Bench none;  // no instrument chosen: nothing sent at all
    none.host.selections.clear();
    EXPECT_EQ(none.run(&service::InstrumentNameCommand), Outcome::Cancelled);
    EXPECT_TRUE(none.rig.instrument.requests().empty());
}

TEST(StyleA, AnInstrumentThatKeepsItsPressRunningIsToldAndLeftAlone) {
    for (service::MenuCommand command :
         {&service::InstrumentNameCommand, &service::SetPointNameCommand,
          &service::DeformationCommand, &service::CounterCommand}) {
        Bench r;
        r.rig.instrument.setPressLockRefused(true);
        r.host.boxes.inputs = {"5", "5"};
        EXPECT_EQ(r.run(command), Outcome::Refused);
        EXPECT_EQ(r.host.boxes.texts(),
                  std::vector<std::string>{"Error communication for blocking the instruments."});
        EXPECT_TRUE(r.host.boxes.prompts.empty());
        EXPECT_TRUE(byteWrites(r.rig).empty());
        EXPECT_EQ(requestNames(r.rig).back(), "18/9");
        EXPECT_FALSE(r.rig.control.Collegato());
    }
}

TEST(Deformation, BothCoefficientsAreWrittenAndTheInstrumentRestarted) {
    struct Case {
        std::vector<std::optional<std::string>> answers;
        Outcome outcome;
        Writes writes;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {{"20", " 30.4 "}, Outcome::Done, {{269, 20}, {270, 30}}, {}},
        {{"20", std::nullopt}, Outcome::Cancelled, {}, {}},
        {{"abc"}, Outcome::Cancelled, {}, {}},
        {{"300"}, Outcome::Cancelled, {}, {"Insert a number in range 0 to 255."}},
    };
    for (const Case& c : cases) {
        Bench r;
        const int restarts = r.rig.instrument.restarts();
        r.host.boxes.inputs = {c.answers.begin(), c.answers.end()};
        EXPECT_EQ(r.run(&service::DeformationCommand), c.outcome);
        EXPECT_EQ(byteWrites(r.rig), c.writes);
        EXPECT_EQ(r.host.boxes.texts(), c.boxes);
        EXPECT_EQ(r.rig.instrument.restarts() - restarts, c.writes.empty() ? 0 : 1);
        EXPECT_TRUE(endedCleanly(r.rig));
    }
}

TEST(Counter, WrittenLowByteFirstAndConfirmedAfterTheClosingSequence) {
    Bench r;
    r.host.boxes.inputs = {"1000000"};
    EXPECT_EQ(r.run(&service::CounterCommand), Outcome::Done);
    EXPECT_EQ(r.host.boxes.prompts, std::vector<std::string>{"Input the numeber"});
    EXPECT_EQ(byteWrites(r.rig), (Writes{{72, 0x40}, {73, 0x42}, {74, 0x0F}, {75, 0}}));
    ASSERT_EQ(r.host.boxes.texts(), std::vector<std::string>{"Writing counter done"});
    EXPECT_EQ(r.host.boxes.boxes[0].icon, platform::MessageIcon::Information);
    EXPECT_TRUE(endedCleanly(r.rig));

    Bench negative;
    negative.host.boxes.inputs = {"-1"};
    EXPECT_EQ(negative.run(&service::CounterCommand), Outcome::Refused);
    EXPECT_TRUE(byteWrites(negative.rig).empty());

    // Up to extension 50 there is no counter: nothing is written and no success is claimed.
    Bench old("p17e23");
    old.host.boxes.inputs = {"5"};
    EXPECT_EQ(old.run(&service::CounterCommand), Outcome::Refused);
    EXPECT_EQ(old.host.boxes.texts(),
              std::vector<std::string>{"This instrument has no main counter."});
    EXPECT_TRUE(endedCleanly(old.rig));
}

// The four values of the style B commands.
struct ValueCase {
    const char* name;
    service::MenuCommand command;
    std::uint16_t version;
    std::optional<std::string> answer;
    platform::MessageResult confirm;
    Outcome outcome;
    Writes writes;
    std::vector<std::string> boxes;
    bool restart;
};

TEST(ValueCommands, VersionsRangesConfirmationAndRestart) {
    using R = platform::MessageResult;
    const char* send = "Send new value?";
    const char* range255 = "Insert a number in range 1 to 255.";
    const ValueCase cases[] = {
        {"filter 2.47",
         &service::ForceFilterCommand,
         247,
         "5",
         R::Yes,
         Outcome::Refused,
         {},
         {"This option is present only from the instrument's version 2.48."},
         false},
        {"filter 2.48",
         &service::ForceFilterCommand,
         248,
         "5",
         R::Yes,
         Outcome::Failed,
         {},
         {send, "Communication error."},
         false},
        {"filter 2.49",
         &service::ForceFilterCommand,
         249,
         "5",
         R::Yes,
         Outcome::Done,
         {{243, 5}},
         {send},
         true},
        {"filter 0",
         &service::ForceFilterCommand,
         249,
         "0",
         R::Yes,
         Outcome::Done,
         {{243, 0}},
         {send},
         true},
        {"filter 60",
         &service::ForceFilterCommand,
         249,
         "60",
         R::Yes,
         Outcome::Done,
         {{243, 60}},
         {send},
         true},
        {"filter 61",
         &service::ForceFilterCommand,
         249,
         "61",
         R::Yes,
         Outcome::Refused,
         {},
         {"The force filter takes a value from 0 (none) to 60 (max)."},
         false},
        {"start force",
         &service::StartForceCommand,
         248,
         "80",
         R::Yes,
         Outcome::Done,
         {{284, 80}},
         {send},
         false},
        {"start force 0",
         &service::StartForceCommand,
         248,
         "0",
         R::Yes,
         Outcome::Refused,
         {},
         {range255},
         false},
        {"wait end 0",
         &service::WaitEndCommand,
         248,
         "0",
         R::Yes,
         Outcome::Done,
         {{53, 0}},
         {send},
         true},
        {"wait end 256",
         &service::WaitEndCommand,
         248,
         "256",
         R::Yes,
         Outcome::Refused,
         {},
         {"Insert a number in range 0 to 255."},
         false},
        {"prescaler",
         &service::ClockPrescalerCommand,
         248,
         "255",
         R::Yes,
         Outcome::Done,
         {{52, 255}},
         {send},
         true},
        {"prescaler 0",
         &service::ClockPrescalerCommand,
         248,
         "0",
         R::Yes,
         Outcome::Refused,
         {},
         {range255},
         false},
        {"not a number",
         &service::ClockPrescalerCommand,
         248,
         "ten",
         R::Yes,
         Outcome::Refused,
         {},
         {"Insert a number."},
         false},
        {"answered No",
         &service::WaitEndCommand,
         248,
         "7",
         R::No,
         Outcome::Cancelled,
         {},
         {send},
         false},
        {"input cancelled",
         &service::ForceFilterCommand,
         249,
         std::nullopt,
         R::Yes,
         Outcome::Cancelled,
         {},
         {},
         false},
    };
    for (const ValueCase& c : cases) {
        Bench r(profileWith("p36e51", c.version));
        r.host.boxes.inputs = {c.answer};
        r.host.boxes.answers = {c.confirm};
        const int restarts = r.rig.instrument.restarts();
        EXPECT_EQ(r.run(c.command), c.outcome) << c.name;
        EXPECT_EQ(byteWrites(r.rig), c.writes) << c.name;
        EXPECT_EQ(r.host.boxes.texts(), c.boxes) << c.name;
        EXPECT_EQ(r.rig.instrument.restarts() - restarts, c.restart ? 1 : 0) << c.name;
        EXPECT_TRUE(endedCleanly(r.rig)) << c.name;
    }
}

TEST(ValueCommands, PromptsAndTheCurrentValueAsDefault) {
    struct Case {
        service::MenuCommand command;
        std::string prompt;
    };
    const Case cases[] = {
        {&service::ForceFilterCommand, "Insert the power of filter\n(0=none, 60=max)"},
        {&service::ClockPrescalerCommand, "Insert the clock prescaler value\n(1 to 255)"},
        {&service::StartForceCommand, "Insert the default start force\n(1 to 255)"},
        {&service::WaitEndCommand, "Insert the number of end-wait samples\n(0 to 255)"},
    };
    for (const Case& c : cases) {
        Bench r(profileWith("p36e51", 249));
        EXPECT_EQ(r.run(c.command), Outcome::Cancelled);
        EXPECT_EQ(r.host.boxes.prompts, std::vector<std::string>{c.prompt});
        EXPECT_TRUE(endedCleanly(r.rig));
    }
    // The lock refused: its own box, then the command's, nothing read or written.
    Bench refused;
    refused.rig.instrument.setPressLockRefused(true);
    EXPECT_EQ(refused.run(&service::WaitEndCommand), Outcome::Refused);
    EXPECT_EQ(refused.host.boxes.texts(),
              (std::vector<std::string>{"Blocking instruments failed.",
                                        "Is not possible the KRN's blocking."}));
    EXPECT_TRUE(endedCleanly(refused.rig));
}

// Every restart a command runs has its status text and a bar that fills forwards to 100, so that
// the window repaints through the 15 s and more it takes.
TEST(Restart, EveryCommandsRestartShowsItsTextAndAForwardBar) {
    struct Case {
        service::MenuCommand command;
        std::vector<std::optional<std::string>> inputs;
    };
    const Case cases[] = {
        {&service::ClockPrescalerCommand, {"7"}},
        {&service::WaitEndCommand, {"9"}},
        {&service::DeformationCommand, {"20", "30"}},
    };
    for (const Case& c : cases) {
        Bench r;
        r.host.boxes.inputs = {c.inputs.begin(), c.inputs.end()};
        r.host.boxes.answers = {platform::MessageResult::Yes};
        EXPECT_EQ(r.run(c.command), Outcome::Done);
        ASSERT_FALSE(r.host.statuses.empty());
        EXPECT_EQ(r.host.statuses.back(), "Restarting the instrument...");
        ASSERT_EQ(r.host.positions.size(), 1u);
        const auto& bar = r.host.positions.front();
        EXPECT_GT(bar.size(), 20u) << "the window repaints all along";
        EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
        EXPECT_EQ(bar.back(), 100);
    }
}

TEST(MenuCommands, EverySettingEntryIsWired) {
    for (const char* entry :
         {"mnuNomeStrumento", "mnuNomeSetPoint", "mnuRecuperoDeformazione", "mnuResetContatore",
          "mnuFiltroF", "mnuFZeroDefault", "mnuOpzioneAspettaStop", "mnuOpzioniStrumento",
          "mnuExportMem", "mnuImportMem", "mnuSalvaUtenti", "mnuSoloDifferenze"})
        EXPECT_EQ(service::menuCommands().count(entry), 1u) << entry;
}

}  // namespace
