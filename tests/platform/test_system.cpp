// The operating system calls of platform/system.h (the exclusive file, which locks the
// serial-number list, is tested with the list).
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/system.h"

namespace {

TEST(System, ProcessIdentityEndsWithTheProcessNumberAndLoopbackIsReachedFromLoopback) {
    const std::string who = platform::processIdentity();
    const std::string pid = " " + std::to_string(::getpid());
    ASSERT_GT(who.size(), pid.size());
    EXPECT_EQ(who.substr(who.size() - pid.size()), pid);
    EXPECT_EQ(platform::localAddressTowards("127.0.0.1", 65535), "127.0.0.1");
    EXPECT_EQ(platform::localAddressTowards("no address", 65535), "");
}

}  // namespace
