// The "&Setting" commands against the simulated instrument: exact prompts and boxes, the bytes
// written, the restart where it belongs, and the closing sequence on every path.
#include <gtest/gtest.h>

#include <map>

#include "service/command_log.h"
#include "service/settings/setting_commands.h"
#include "service/settings/value_commands.h"

using namespace testing_support;
using O = service::Outcome;
using Inputs = std::vector<std::optional<std::string>>;

namespace {

const service::MenuCommand kName = &service::InstrumentNameCommand;
const service::MenuCommand kSetPoint = &service::SetPointNameCommand;
const service::MenuCommand kDeformation = &service::DeformationCommand;
const service::MenuCommand kCounter = &service::CounterCommand;
const service::MenuCommand kFilter = &service::ForceFilterCommand;
const service::MenuCommand kStartForce = &service::StartForceCommand;
const service::MenuCommand kWaitEnd = &service::WaitEndCommand;
const service::MenuCommand kPrescaler = &service::ClockPrescalerCommand;

struct Bench : CommandBench {
    using CommandBench::CommandBench;
    O run(service::MenuCommand command, const Inputs& inputs) {
        host.boxes.inputs = {inputs.begin(), inputs.end()};
        return CommandBench::run(command);
    }
};

// The characters of a set-point name, then its length before them.
ByteWrites nameBytes(int length, const std::string& name) {
    ByteWrites w;
    for (std::size_t i = 0; i < name.size(); ++i)
        w.emplace_back(length + 1 + static_cast<int>(i), static_cast<unsigned char>(name[i]));
    w.emplace_back(length, static_cast<int>(name.size()));
    return w;
}

// Names go in without control characters and up to thirteen of them, the characters first; the
// flow leaves the name the instrument now keeps where the caller reads it. (Names of fourteen,
// with a line break or with UTF-8 characters: e2e Maintenance and IntegrityCli.)
TEST(Names, WrittenCharactersFirstAndReadBack) {
    struct Case {
        service::MenuCommand command;
        std::string answer;
        O outcome;
        Texts boxes;
        std::string kept;  // Nome or NomeFreno afterwards; written when the command is done
    };
    const Case cases[] = {
        {kSetPoint, "  Stop 13 chars", O::Done, {}, "Stop 13 chars"},
        {kSetPoint, "   ", O::Cancelled, {}, ""},
        {kSetPoint, "A\x7F", O::Refused, {"Bad name"}, ""},
        {kName, " Press 7 ", O::Done, {}, "Press 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        Bench r;
        const bool brake = c.command == kSetPoint;
        EXPECT_EQ(r.run(c.command, {c.answer}), c.outcome);
        EXPECT_EQ(r.host.boxes.prompts, Texts{brake ? "Input the new set point function name"
                                                    : "Input the new instrument name"});
        EXPECT_EQ(r.host.boxes.texts(), c.boxes);
        EXPECT_TRUE(endedCleanly(r.rig));
        if (c.outcome != O::Done) {
            EXPECT_TRUE(byteWrites(r.rig).empty());
            continue;
        }
        EXPECT_EQ(brake ? r.rig.control.values().NomeFreno : r.rig.control.Nome(), c.kept);
        const auto& nv = r.rig.instrument.nvram();
        if (!brake) {
            EXPECT_EQ(std::string(nv.begin() + 107, nv.begin() + 107 + nv[106]), c.kept);
        } else {
            EXPECT_EQ(byteWrites(r.rig), nameBytes(255, c.kept));
        }
    }
}

void lockRefused(InstrumentRig& r) {
    r.instrument.setPressLockRefused(true);
}
void nameOfFourteen(InstrumentRig& r) {
    r.instrument.nvram()[255] = 14;
}  // not cut to 13

// A command that cannot do its work says why in its box, writes nothing and ends the
// conversation. A value the generation does not have is a refusal: the link did not fail. (The
// other generations' boxes and the counter's range: e2e IntegrityCli and BadInput.)
TEST(SettingCommands, WhatCannotBeDoneWritesNothing) {
    const std::string styleA = "Error communication for blocking the instruments.";
    const Texts styleB = {"Blocking instruments failed.", "Is not possible the KRN's blocking."};
    struct Case {
        service::MenuCommand command;
        sim::Profile profile;
        void (*prepare)(InstrumentRig&);
        Inputs inputs;
        O outcome;
        Texts boxes;
    };
    const sim::Profile p36 = *sim::findProfile("p36e51"), p17 = *sim::findProfile("p17e23");
    const Case cases[] = {
        {kSetPoint, p36, nameOfFourteen, {}, O::Failed, {"Name reading error."}},
        {kCounter, p17, nullptr, {"5"}, O::Refused, {"This instrument has no main counter."}},
        {kName, p36, lockRefused, {"5"}, O::Refused, {styleA}},
        {kWaitEnd, p36, lockRefused, {"5"}, O::Refused, styleB},  // the lock's box, then its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.boxes));
        Bench r(c.profile);
        if (c.prepare) c.prepare(r.rig);
        EXPECT_EQ(r.run(c.command, c.inputs), c.outcome);
        EXPECT_EQ(r.host.boxes.texts(), c.boxes);
        EXPECT_TRUE(r.host.boxes.prompts.empty());
        EXPECT_TRUE(byteWrites(r.rig).empty());
        EXPECT_TRUE(endedCleanly(r.rig));
    }
}

// The deformation coefficients and the four values of the style B commands: prompts, versions,
// the confirmation, and the restart where the value needs one. (The range boxes with their
// texts: e2e BadInput.)
TEST(ValueCommands, VersionsRangesConfirmationAndRestart) {
    const auto Y = platform::MessageResult::Yes, N = platform::MessageResult::No;
    const std::string send = "Send new value?";
    const std::string from248 = "This option is present only from the instrument's version 2.48.";
    const std::map<service::MenuCommand, std::string> prompts = {
        {kFilter, "Insert the power of filter\n(0=none, 60=max)"},
        {kPrescaler, "Insert the clock prescaler value\n(1 to 255)"},
        {kStartForce, "Insert the default start force\n(1 to 255)"},
        {kWaitEnd, "Insert the number of end-wait samples\n(0 to 255)"},
    };
    struct Case {
        service::MenuCommand command;
        std::uint16_t version;
        Inputs inputs;
        platform::MessageResult confirm;
        O outcome;
        ByteWrites writes;
        Texts boxes;
    };
    const Case cases[] = {
        {kDeformation, 248, {"20", " 30.4 "}, Y, O::Done, {{269, 20}, {270, 30}}, {}},
        {kDeformation, 248, {"20", std::nullopt}, Y, O::Cancelled, {}, {}},
        {kDeformation, 248, {"abc"}, Y, O::Cancelled, {}, {}},
        {kFilter, 247, {"5"}, Y, O::Refused, {}, {from248}},
        {kFilter, 249, {"5"}, Y, O::Done, {{243, 5}}, {send}},
        {kFilter, 249, {"60"}, Y, O::Done, {{243, 60}}, {send}},
        {kStartForce, 248, {"80"}, Y, O::Done, {{284, 80}}, {send}},  // no restart
        {kWaitEnd, 248, {"0"}, Y, O::Done, {{53, 0}}, {send}},
        {kWaitEnd, 248, {"7"}, N, O::Cancelled, {}, {send}},
        {kPrescaler, 248, {"255"}, Y, O::Done, {{52, 255}}, {send}},
        {kPrescaler, 248, {"ten"}, Y, O::Refused, {}, {"Insert a number."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.inputs) + " " + std::to_string(c.version));
        Bench r(profileWith("p36e51", c.version));
        r.host.boxes.answers = {c.confirm};
        const int restarts = r.rig.instrument.restarts();
        EXPECT_EQ(r.run(c.command, c.inputs), c.outcome);
        EXPECT_EQ(byteWrites(r.rig), c.writes);
        EXPECT_EQ(r.host.boxes.texts(), c.boxes);
        const bool restart = !c.writes.empty() && c.command != kStartForce;
        EXPECT_EQ(r.rig.instrument.restarts() - restarts, restart ? 1 : 0);
        EXPECT_TRUE(endedCleanly(r.rig));
        if (c.command != kDeformation && c.version >= 248) {
            EXPECT_EQ(r.host.boxes.prompts, Texts{prompts.at(c.command)});
        }
    }
}

}  // namespace
