// "&Verify transfers" (CommandHost::verifica): every command run from the menu verified, the
// address of a difference that stays told in a box, the command failed, the check off again.
#include <gtest/gtest.h>

#include "service/core/menu_commands.h"
#include "service/core/verification.h"
#include "support/test_host.h"

using namespace testing_support;
using service::Outcome;

namespace {

TEST(Verification, AStuckByteFailsTheCommandWithItsAddressOnlyWhenChecked) {
    struct Case {
        bool verifica;
        bool faulty;
        Outcome outcome;
        std::vector<std::string> boxes;
        int reads;  // block reads (41): one per byte written, one more for a stuck byte's rewrite
    };
    const std::string kStuck = "Verify: the byte written at &H2001 reads back 21 (20 was written).";
    const Case cases[] = {
        {false, false, Outcome::Done, {}, 0},
        {false, true, Outcome::Done, {}, 0},  // the frame check cannot see it
        {true, false, Outcome::Done, {}, 3},
        {true, true, Outcome::Failed, {kStuck}, 3},
    };
    for (const Case& c : cases) {
        InstrumentRig rig("p36e51");
        TestHost host(rig);
        ASSERT_TRUE(rig.openSerial());
        if (c.faulty) rig.instrument.setFaultyCell(0x2001);
        host.setVerifica(c.verifica);
        rig.instrument.clearLog();
        const Outcome o = service::runCommand(host, [](service::CommandHost& h) {
            return h.control().WriteNVRamBytes(0x2000, {10, 20, 30}) ? Outcome::Done
                                                                     : Outcome::Failed;
        });
        SCOPED_TRACE(std::to_string(c.verifica) + std::to_string(c.faulty));
        EXPECT_EQ(o, c.outcome);
        EXPECT_EQ(host.boxes.texts(), c.boxes);
        const auto commands = rig.commands();
        EXPECT_EQ(std::count(commands.begin(), commands.end(), 41), c.reads);
        EXPECT_FALSE(rig.control.nvram().verify);
        EXPECT_FALSE(rig.control.nvram().verifyFailure);
    }
}

TEST(Verification, ReadsThatDisagreeNameTheAddressInHexadecimal) {
    EXPECT_EQ(service::verifyFailureText({255, 1, 2, false}), "the reads of &HFF disagree (1, 2)");
}

}  // namespace
