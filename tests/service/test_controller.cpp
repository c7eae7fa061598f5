// The connection controller and the frame every command runs in, without widgets.
#include <gtest/gtest.h>

#include <algorithm>

#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/diagnostics/communication_check.h"
#include "service/settings/clock_command.h"

using service::Outcome;
using testing_support::InstrumentRig;
using testing_support::TestHost;

namespace {

std::vector<std::string> requests(const InstrumentRig& rig) {
    return testing_support::requestNames(rig);
}
using testing_support::lastRequests;
using Texts = std::vector<std::string>;

TEST(Controller, RetriesAFailedOpenUntilCancelled) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    host.boxes.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    EXPECT_EQ(host.controller().Connect("COM: 0"), instrument::errPR_Comm);
    EXPECT_EQ(host.boxes.texts(),
              (Texts{"Communication error\nCOM: 0", "Communication error\nCOM: 0"}));
    EXPECT_EQ(host.boxes.boxes[0].buttons, platform::MessageButtons::RetryCancel);
    EXPECT_EQ(host.boxes.boxes[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(rig.serial.opens(), 0);
}

TEST(Controller, ClockMoreThanTwoSecondsOffOpensTheClockDialog) {
    for (int offset : {-3, -2, 2, 3}) {
        InstrumentRig rig("p36e51");
        rig.clock.setLocal({2026, 12, 6, 10, 0, 0, 0});
        rig.instrument.setClock(
            platform::fromEpochSeconds(platform::toEpochSeconds(rig.clock.localNow()) + offset),
            rig.clock.now());
        TestHost host(rig);
        EXPECT_EQ(host.controller().Connect("COM: 1"), instrument::errPR_OK);
        EXPECT_EQ(host.clockDialogs, std::abs(offset) > 2 ? 1 : 0) << offset;
        EXPECT_TRUE(rig.instrument.pressLocked());
        EXPECT_TRUE(rig.instrument.keyboardLocked());
        host.controller().Disconnect();
        EXPECT_FALSE(rig.instrument.pressLocked());
        EXPECT_FALSE(rig.control.Collegato());
    }
}

TEST(Controller, UpdateModeInstrumentIsConnectedWithoutLock) {
    InstrumentRig rig("loader");
    TestHost host(rig);
    EXPECT_EQ(host.controller().Connect("COM: 1"), instrument::errPR_OK);
    for (int code : rig.commands()) EXPECT_TRUE(code != 18 && code != 20) << code;
}

TEST(Controller, RefusedPressLockAndErrorTexts) {
    InstrumentRig rig("p36e51");
    rig.instrument.setPressLockRefused(true);
    TestHost host(rig);
    EXPECT_EQ(host.controller().Connect("COM: 1"), instrument::errPR_InUse);
    EXPECT_FALSE(rig.instrument.keyboardLocked());
    const std::pair<instrument::ErrPR, std::string> texts[] = {
        {instrument::errPR_InUse, "Error communication for blocking the instruments."},
        {instrument::errPR_VerInstrument,
         "The instrument is not supported.\nType: 36\nRelease: 51"},
        {instrument::errPR_Comm, "Communication error"},
        {instrument::errPR_Erase, "Errore."},
        {instrument::errPR_Memory, "Test memory fail."},
        {instrument::errPR_Setup, "Errore."},
    };
    for (const auto& [code, text] : texts) {
        host.boxes.boxes.clear();
        host.controller().ShowErrorMsg(code);
        ASSERT_EQ(host.boxes.boxes.size(), 1u);
        EXPECT_EQ(host.boxes.boxes[0].text, text);
    }
    host.boxes.boxes.clear();
    host.controller().ShowErrorMsg(instrument::errPR_OK);
    EXPECT_TRUE(host.boxes.boxes.empty());
}

TEST(Controller, ProgressScaleAndStageTexts) {
    const std::pair<long, int> scales[] = {{0, 1},         {32000, 1},    {32001, 10},
                                           {320000, 10},   {320001, 100}, {3200000, 100},
                                           {3200001, 1000}};
    for (const auto& [total, scale] : scales)
        EXPECT_EQ(service::CMain::scaleFor(total), scale) << total;
    InstrumentRig rig;
    TestHost host(rig);
    service::CMain& c = host.controller();
    c.setStage(service::idProc_MemoryTest);
    c.StartTransfer(64000);
    EXPECT_EQ(host.status, "Memory test:");
    EXPECT_EQ(host.maximum, 6400);
    EXPECT_FALSE(c.UpdateTransfer(32000));
    EXPECT_EQ(host.value, 3200);
    c.Annulla();
    EXPECT_TRUE(c.UpdateTransfer(32010));
    c.setStage(99);
    c.StartTransfer(10);
    EXPECT_EQ(host.status, "Progress...");
    // As the progress of a transfer: update answers "go on" until the cancel flag is up.
    platform::Progress& p = c;
    c.clearCancel();
    EXPECT_TRUE(p.update(5));
    c.Annulla();
    EXPECT_FALSE(p.update(6));
    p.stop(false);
    EXPECT_EQ(host.status, "");
}

// Every path through a conversation ends with the closing sequence its lock calls for: the
// transfer lock with its boxes, the style A lock (connect) silently, none in update mode or when
// the conversation was only opened.
TEST(Conversation, EveryPathEndsWithTheClosingSequenceItsLockCallsFor) {
    enum How { kOpen, kLock, kConnect };
    struct Case {
        const char* profile;
        bool refuse;
        How how;
        Outcome outcome;  // of the lock, or of connect
        Texts boxes;
        Texts last;   // the last requests the instrument saw
        Texts never;  // requests it never saw
    };
    const Texts lockAndClose = {"18/4", "20/1", "20/0", "18/3", "18/9"};
    const Case cases[] = {
        {"p36e51", false, kLock, Outcome::Done, {}, lockAndClose, {}},
        {"p36e51",
         true,
         kLock,
         Outcome::Refused,
         {"Blocking instruments failed."},
         {"18/4", "20/0", "18/3", "18/9"},
         {}},
        {"p36e51", false, kOpen, Outcome::Done, {}, {"18/9"}, {"18/4", "20/1", "20/0", "18/3"}},
        {"loader", false, kLock, Outcome::Done, {}, {}, {"18/4", "20/1"}},
        {"p36e51", false, kConnect, Outcome::Done, {}, {"20/0", "18/3", "18/9"}, {}},
        {"p36e51", true, kConnect, Outcome::Refused, {}, {}, {}},  // style A ends silently
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " " + std::to_string(c.how) + " " +
                     std::to_string(c.refuse));
        InstrumentRig rig(c.profile);
        rig.instrument.setPressLockRefused(c.refuse);
        TestHost host(rig);
        {
            service::Conversation conversation(host);
            if (c.how == kConnect) {
                EXPECT_EQ(conversation.connect("COM: 1"), c.outcome);
                EXPECT_EQ(rig.instrument.keyboardLocked(), c.outcome == Outcome::Done);
            } else {
                ASSERT_EQ(conversation.open("COM: 1"), Outcome::Done);
                if (c.how == kLock) {
                    EXPECT_EQ(conversation.lock(), c.outcome);
                }
            }
        }
        EXPECT_EQ(host.boxes.texts(), c.boxes);
        EXPECT_EQ(lastRequests(rig, c.last.size()), c.last);
        for (const auto& r : requests(rig))
            EXPECT_EQ(std::count(c.never.begin(), c.never.end(), r), 0) << r;
        EXPECT_FALSE(rig.control.Collegato());
        EXPECT_FALSE(rig.instrument.pressLocked());
        EXPECT_FALSE(rig.instrument.keyboardLocked());
    }
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    {
        service::Conversation conversation(host);
        EXPECT_EQ(conversation.open("COM: 0"), Outcome::Failed);
        EXPECT_EQ(conversation.lock(), Outcome::Failed);  // nothing open: nothing to lock
    }
    EXPECT_EQ(host.boxes.texts().front(), "Communication error\n");
}

TEST(ClockCommand, SelectionNoClockCommunicationErrorAndTheDialog) {
    const sim::Profile p36 = *sim::findProfile("p36e51");
    sim::Profile noClock = p36;
    noClock.hasClock = false;
    struct Case {
        sim::Profile profile;
        std::optional<std::string> selection;
        Outcome outcome;
        Texts boxes;
        int dialogs;
    };
    const Case cases[] = {
        {p36, std::nullopt, Outcome::Cancelled, {}, 0},
        {noClock, "COM: 1", Outcome::Refused, {"No clock\n"}, 0},
        {p36, "COM: 0", Outcome::Failed, {"Communication error\n"}, 0},
        {p36, "COM: 1", Outcome::Done, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection.value_or("none"));
        InstrumentRig rig(c.profile);
        TestHost host(rig);
        host.selections = {c.selection};
        EXPECT_EQ(service::runCommand(host, &service::ClockCommand), c.outcome);
        EXPECT_EQ(host.selectionTitles, Texts{"Select instrument"});
        EXPECT_EQ(host.boxes.texts(), c.boxes);
        EXPECT_EQ(host.clockDialogs, c.dialogs);
        EXPECT_FALSE(rig.control.Collegato());
        const auto sent = requests(rig);
        if (c.selection != "COM: 1") {
            if (!c.selection) {
                EXPECT_TRUE(sent.empty());
            }
            continue;
        }
        EXPECT_EQ(sent.back(), "18/9");
        // No lock around the clock: the conversation is only ended.
        if (c.dialogs) {
            for (const auto& r : sent) EXPECT_TRUE(r != "18/4" && r != "20/1") << r;
        }
    }
}

TEST(CommunicationTest, AttemptsOnEveryKindOfDescription) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    EXPECT_TRUE(service::communicationAttempt(host, "COM: 1"));
    EXPECT_FALSE(rig.control.Collegato());
    EXPECT_FALSE(service::communicationAttempt(host, "COM: 0"));
    EXPECT_FALSE(service::communicationAttempt(host, "IP: 127.0.0.1"));  // no port: nothing sent
    EXPECT_FALSE(service::communicationAttempt(host, "USB: QX-NONE"));
    EXPECT_FALSE(service::communicationAttempt(host, "nonsense"));
    host.selections = {"COM: 1"};
    EXPECT_EQ(service::runCommand(host, &service::CommunicationTest), Outcome::Done);
    EXPECT_EQ(host.communicationTests, (Texts{"COM: 1"}));
}

TEST(MenuCommands, EveryCommandStartsWithTheCancelFlagDown) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    host.controller().Annulla();  // left over from an earlier command
    host.selections = {"COM: 1"};
    service::runCommand(host, &service::ClockCommand);
    EXPECT_FALSE(host.controller().Annullando());
}

}  // namespace
