// The connection controller and the frame every command runs in, without widgets.
#include <gtest/gtest.h>

#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/core/menu_commands.h"
#include "service/diagnostics/communication_check.h"
#include "service/settings/clock_command.h"
#include "support/test_host.h"

using service::Outcome;
using testing_support::InstrumentRig;
using testing_support::TestHost;

namespace {

std::vector<std::string> requests(const InstrumentRig& rig) {
    return testing_support::requestNames(rig);
}

// The last requests: what the command itself sent.
std::vector<std::string> tail(const std::vector<std::string>& all, std::size_t n) {
    return {all.end() - static_cast<std::ptrdiff_t>(std::min(n, all.size())), all.end()};
}

TEST(Controller, RetriesAFailedOpenUntilCancelled) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    host.boxes.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    EXPECT_EQ(host.controller().Connect("COM: 0"), instrument::errPR_Comm);
    EXPECT_EQ(host.boxes.texts(), (std::vector<std::string>{"Communication error\nCOM: 0",
                                                            "Communication error\nCOM: 0"}));
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

// Every path through the transfer lock ends with the closing sequence the lock calls for.
TEST(Conversation, TransferLockBoxesAndClosingSequence) {
    struct Case {
        const char* name;
        bool refuse, silentAfterOpen;
        Outcome lock;
        std::vector<std::string> boxes;
        std::vector<std::string> last;  // the last requests the instrument saw
    };
    const Case cases[] = {
        {"locked", false, false, Outcome::Done, {}, {"18/4", "20/1", "20/0", "18/3", "18/9"}},
        {"refused",
         true,
         false,
         Outcome::Refused,
         {"Blocking instruments failed."},
         {"18/4", "20/0", "18/3", "18/9"}},
    };
    for (const Case& c : cases) {
        InstrumentRig rig("p36e51");
        rig.instrument.setPressLockRefused(c.refuse);
        TestHost host(rig);
        {
            service::Conversation conversation(host);
            ASSERT_EQ(conversation.open("COM: 1"), Outcome::Done) << c.name;
            EXPECT_EQ(conversation.lock(), c.lock) << c.name;
        }
        EXPECT_EQ(host.boxes.texts(), c.boxes) << c.name;
        EXPECT_EQ(tail(requests(rig), c.last.size()), c.last) << c.name;
        EXPECT_FALSE(rig.control.Collegato()) << c.name;
        EXPECT_FALSE(rig.instrument.pressLocked()) << c.name;
        EXPECT_FALSE(rig.instrument.keyboardLocked()) << c.name;
    }
}

TEST(Conversation, AnUnlockedConversationOnlyEndsAndAFailedOpenSaysSo) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    {
        service::Conversation conversation(host);
        ASSERT_EQ(conversation.open("COM: 1"), Outcome::Done);
    }
    EXPECT_EQ(requests(rig).back(), "18/9");
    for (const auto& r : requests(rig))
        EXPECT_TRUE(r != "18/4" && r != "20/1" && r != "20/0" && r != "18/3") << r;
    {
        service::Conversation conversation(host);
        EXPECT_EQ(conversation.open("COM: 0"), Outcome::Failed);
        EXPECT_EQ(conversation.lock(), Outcome::Failed);  // nothing open: nothing to lock
    }
    EXPECT_EQ(host.boxes.texts().front(), "Communication error\n");
}

TEST(Conversation, UpdateModeSkipsTheLockAndStyleAEndsWithTheWholeSequence) {
    InstrumentRig loader("loader");
    TestHost loaderHost(loader);
    {
        service::Conversation conversation(loaderHost);
        ASSERT_EQ(conversation.open("COM: 1"), Outcome::Done);
        EXPECT_EQ(conversation.lock(), Outcome::Done);
    }
    for (const auto& r : requests(loader)) EXPECT_TRUE(r != "18/4" && r != "20/1") << r;

    InstrumentRig rig("p36e51");
    TestHost host(rig);
    {
        service::Conversation conversation(host);
        EXPECT_EQ(conversation.connect("COM: 1"), Outcome::Done);
        EXPECT_TRUE(rig.instrument.keyboardLocked());
    }
    EXPECT_EQ(tail(requests(rig), 3), (std::vector<std::string>{"20/0", "18/3", "18/9"}));

    InstrumentRig refusing("p36e51");
    refusing.instrument.setPressLockRefused(true);
    TestHost refusingHost(refusing);
    service::Conversation conversation(refusingHost);
    EXPECT_EQ(conversation.connect("COM: 1"), Outcome::Refused);
    EXPECT_TRUE(refusingHost.boxes.boxes.empty());  // style A ends silently
}

TEST(ClockCommand, SelectionNoClockAndCommunicationError) {
    {
        InstrumentRig rig("p36e51");
        TestHost host(rig);
        EXPECT_EQ(service::runCommand(host, &service::ClockCommand), Outcome::Cancelled);
        EXPECT_EQ(host.selectionTitles, (std::vector<std::string>{"Select instrument"}));
        EXPECT_TRUE(rig.instrument.requests().empty());
    }
    {
        sim::Profile noClock = *sim::findProfile("p36e51");
        noClock.hasClock = false;
        InstrumentRig rig(noClock);
        TestHost host(rig);
        host.selections = {"COM: 1"};
        EXPECT_EQ(service::runCommand(host, &service::ClockCommand), Outcome::Refused);
        EXPECT_EQ(host.boxes.texts(), (std::vector<std::string>{"No clock\n"}));
        EXPECT_EQ(host.clockDialogs, 0);
        EXPECT_EQ(requests(rig).back(), "18/9");
    }
    {
        InstrumentRig rig("p36e51");
        TestHost host(rig);
        host.selections = {"COM: 0"};
        EXPECT_EQ(service::runCommand(host, &service::ClockCommand), Outcome::Failed);
        EXPECT_EQ(host.boxes.texts(), (std::vector<std::string>{"Communication error\n"}));
    }
    {
        InstrumentRig rig("p36e51");
        TestHost host(rig);
        host.selections = {"COM: 1"};
        EXPECT_EQ(service::runCommand(host, &service::ClockCommand), Outcome::Done);
        EXPECT_EQ(host.clockDialogs, 1);
        // No lock around the clock: the conversation is only ended.
        for (const auto& r : requests(rig)) EXPECT_TRUE(r != "18/4" && r != "20/1") << r;
        EXPECT_EQ(requests(rig).back(), "18/9");
        EXPECT_FALSE(rig.control.Collegato());
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
    EXPECT_EQ(host.communicationTests, (std::vector<std::string>{"COM: 1"}));
}

TEST(MenuCommands, EveryCommandStartsWithTheCancelFlagDown) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    host.controller().Annulla();  // left over from an earlier command
    host.selections = {"COM: 1"};
    service::runCommand(host, &service::ClockCommand);
    EXPECT_FALSE(host.controller().Annullando());
    EXPECT_EQ(service::menuCommands().count("mnuOrologio"), 1u);
    EXPECT_EQ(service::menuCommands().count("mnuTestComm"), 1u);
}

}  // namespace
