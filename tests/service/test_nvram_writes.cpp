// The NVRAM write procedures: a cancel after the byte went out. (The erase: the memory test's
// menu command; the signature: the format and header tests.)
#include <gtest/gtest.h>

#include "service/command_log.h"
#include "service/core/controller.h"
#include "service/settings/nvram_writes.h"

using namespace testing_support;

namespace {

TEST(Writes, CancelStopsAfterTheByteWentOut) {
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    ASSERT_TRUE(rig.openSerial());
    host.cancelAfterEvents = 0;
    EXPECT_FALSE(service::WriteToKRN(host, 1000, 3));
    EXPECT_TRUE(host.controller().Annullando());
    EXPECT_EQ(rig.instrument.nvram()[1000], 3);
}

}  // namespace
