// The connection controller and the frame every command runs in, without widgets.
#include <gtest/gtest.h>

#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/diagnostics/communication_check.h"
#include "service/settings/clock_command.h"

using service::Outcome;
using testing_support::InstrumentRig;
using testing_support::TestHost;

namespace {

using testing_support::lastRequests;
using testing_support::requestNames;
using testing_support::Texts;

TEST(Controller, RetriesAFailedOpenUntilCancelled) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    host.boxes.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    EXPECT_EQ(host.controller().Connect("COM: 0"), instrument::errPR_Comm);
    EXPECT_EQ(host.boxes.texts(),
              (Texts{"Communication error\nCOM: 0", "Communication error\nCOM: 0"}));
    EXPECT_EQ(
        std::tie(host.boxes.boxes[0].buttons, host.boxes.boxes[0].icon),
        std::make_tuple(platform::MessageButtons::RetryCancel, platform::MessageIcon::Exclamation));
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
        host.controller().Disconnect();
        EXPECT_EQ(std::make_pair(rig.instrument.pressLocked(), rig.control.Collegato()),
                  std::make_pair(false, false));
    }
}

TEST(Controller, ErrorTexts) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    ASSERT_TRUE(rig.openSerial());  // the instrument identified
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

// The progress bar's scale keeps its maximum within 32000.
TEST(Controller, ProgressScale) {
    const std::pair<long, int> scales[] = {
        {32000, 1}, {32001, 10}, {320001, 100}, {3200000, 100}, {3200001, 1000}};
    for (const auto& [total, scale] : scales)
        EXPECT_EQ(service::CMain::scaleFor(total), scale) << total;
}

// Without a clock the command is refused with its box; with one, the dialog opens. No lock
// around the clock: the conversation is only ended.
TEST(ClockCommand, NoClockIsRefusedAndOtherwiseTheDialogOpens) {
    for (const bool hasClock : {false, true}) {
        sim::Profile p = *sim::findProfile("p36e51");
        p.hasClock = hasClock;
        InstrumentRig rig(p);
        TestHost host(rig);
        host.selections = {"COM: 1"};
        EXPECT_EQ(service::runCommand(host, &service::ClockCommand),
                  hasClock ? Outcome::Done : Outcome::Refused);
        EXPECT_EQ(host.boxes.texts(), hasClock ? Texts{} : Texts{"No clock\n"});
        EXPECT_EQ(host.clockDialogs, hasClock ? 1 : 0);
        EXPECT_EQ(lastRequests(rig, 1), Texts{"18/9"});
        for (const auto& r : requestNames(rig)) EXPECT_TRUE(r != "18/4" && r != "20/1") << r;
    }
}

// (An IP address without port and an absent USB chip: app/test_gui.cpp.)
TEST(CommunicationTest, AttemptsOnEveryKindOfDescription) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    EXPECT_TRUE(service::communicationAttempt(host, "COM: 1"));
    EXPECT_FALSE(rig.control.Collegato());
    EXPECT_FALSE(service::communicationAttempt(host, "COM: 0"));
    EXPECT_FALSE(service::communicationAttempt(host, "nonsense"));
    host.selections = {"COM: 1"};
    EXPECT_EQ(service::runCommand(host, &service::CommunicationTest), Outcome::Done);
    EXPECT_EQ(host.communicationTests, (Texts{"COM: 1"}));
}

}  // namespace
