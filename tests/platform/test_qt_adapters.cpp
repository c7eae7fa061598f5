// The Qt serial port adapter on a pseudo-terminal, without an event loop, as the link uses it.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>

#include "platform/qt/qt_serial_port.h"

namespace {

using namespace std::chrono_literals;

// The far end of a serial line: the master side of a pseudo-terminal.
struct Line {
    Line() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            path = ::ptsname(master);
    }
    ~Line() {
        if (master >= 0) ::close(master);
    }
    bool send(std::size_t n, std::uint8_t value) {
        const platform::Bytes bytes(n, value);
        return ::write(master, bytes.data(), n) == static_cast<ssize_t>(n);
    }
    int master = -1;
    std::string path;
};

// Input reaches the port through the kernel's line discipline a moment after it was written.
bool waitUntilAvailable(platform::qt::QtSerialPort& port, std::size_t n) {
    for (int i = 0; i < 200 && port.bytesAvailable() < n; ++i) port.waitForReadyRead(10ms);
    return port.bytesAvailable() == n;
}

class QtSerialPortOnALine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(line.path.empty());
        ASSERT_TRUE(port.open(line.path));
    }
    Line line;
    platform::qt::QtSerialPort port;
};

TEST_F(QtSerialPortOnALine, SeesEveryByteThatArrivesNotOnlyTheFirstChunk) {
    ASSERT_TRUE(line.send(100, 0x11));
    ASSERT_TRUE(waitUntilAvailable(port, 100));
    // More input while the first chunk is still unread.
    ASSERT_TRUE(line.send(156, 0x22));
    EXPECT_TRUE(waitUntilAvailable(port, 256));
    platform::Bytes expected(100, 0x11);
    expected.resize(256, 0x22);
    EXPECT_EQ(port.read(256), expected);
}

TEST_F(QtSerialPortOnALine, WaitsForNewInputEvenWhenUnreadInputIsThere) {
    ASSERT_TRUE(line.send(10, 0x33));
    ASSERT_TRUE(waitUntilAvailable(port, 10));
    // Nothing new comes: the wait runs out instead of reporting the old bytes again, which
    // made every partial wait spin.
    EXPECT_FALSE(port.waitForReadyRead(20ms));
    ASSERT_TRUE(line.send(1, 0x44));
    EXPECT_TRUE(port.waitForReadyRead(2000ms));
    EXPECT_TRUE(waitUntilAvailable(port, 11));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
