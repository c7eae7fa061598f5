// Destroying an instrument control in the middle of a conversation: the channel is closed while
// the control is whole, and nothing is called back into it afterwards.
#include <gtest/gtest.h>

#include <memory>

#include "instrument/uckrnvisual.h"
#include "support/sim_bench.h"

namespace {

using krnlink::Channel;
using testing_support::SimBench;

class ControlLifetime : public ::testing::TestWithParam<Channel> {};

INSTANTIATE_TEST_SUITE_P(Instrument, ControlLifetime,
                         ::testing::Values(Channel::Serial, Channel::Usb, Channel::Ethernet),
                         [](const auto& info) {
                             return std::string(krnlink::channelName(info.param));
                         });

TEST_P(ControlLifetime, DestroyingAConnectedControlClosesItsChannelAndSendsNothing) {
    SimBench bench(*sim::findProfile("p36e51"), {testing_support::kPortPath});
    auto control = std::make_unique<instrument::UCKRNVisual>(bench.clock, &bench.usb, &bench.ports);
    ASSERT_TRUE(bench.openOn(*control, GetParam(), 1));
    ASSERT_TRUE(control->BloccaPressa().locked && control->PressaBloccata());
    bench.instrument.clearLog();
    bench.socket.clearSent();
    // A callback the link would still raise while the control's members are being destroyed.
    int calledBack = 0;
    control->link().onClose = [&] { ++calledBack; };

    control.reset();
    EXPECT_EQ(calledBack, 0);
    EXPECT_FALSE(bench.serial.isOpen());
    EXPECT_EQ(bench.usb.openHandles(), 0);
    EXPECT_TRUE(bench.instrument.hostBytes().empty());
    EXPECT_TRUE(bench.socket.sent().empty());
}

}  // namespace
