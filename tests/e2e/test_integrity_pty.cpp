// Over the real serial adapter on pseudo-terminals, against simulators served on their own
// threads: the checksum's 0/1 alias is read again, and a path that leads to another instrument
// after the serial recovery reopened it gets nothing more.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "instrument/uckrnvisual.h"
#include "platform/protocol.h"
#include "platform/qt/qt_serial_port.h"
#include "sim/sim_server.h"

namespace {

void nameInstrument(sim::SimServer& server, const std::string& n) {
    server.withInstrument([&](sim::SimInstrument& in) {
        in.nvram()[106] = static_cast<std::uint8_t>(n.size());
        for (std::size_t i = 0; i < n.size(); ++i)
            in.nvram()[107 + i] = static_cast<std::uint8_t>(n[i]);
    });
}

struct Served {
    explicit Served(const std::string& name)
        : instrument(*sim::findProfile("p36e51")), server(instrument, clock) {
        pty = server.openPty();
        nameInstrument(server, name);
        server.start();
    }
    ~Served() { server.stop(); }
    std::vector<int> commands() {
        std::vector<int> c;
        server.withInstrument([&](sim::SimInstrument& in) {
            for (const auto& r : in.requests()) c.push_back(r.size() > 1 ? r[1] : -1);
        });
        return c;
    }
    platform::SystemClock clock;
    sim::SimInstrument instrument;
    sim::SimServer server;
    std::string pty;
};

TEST(IntegrityOverPty, ThePathNowLeadingToAnotherInstrumentEndsTheConversation) {
    Served alpha("ALPHA"), bravo("BRAVO");
    ASSERT_FALSE(alpha.pty.empty());
    ASSERT_FALSE(bravo.pty.empty());
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn-swap-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto link = dir / "port";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(alpha.pty, link);
    platform::SystemClock clock;
    platform::qt::QtSerialPort serial;
    instrument::UCKRNVisual control(clock, nullptr, nullptr);
    control.HandlePorta(&serial);
    ASSERT_TRUE(control.ApriComunicazione232(link.string()));
    ASSERT_TRUE(control.WriteNVRam1Byte(300, 0x41));

    // The first instrument falls silent and the path now leads to the second one.
    alpha.server.withInstrument([](sim::SimInstrument& in) { in.setSilent(true); });
    std::filesystem::remove(link);
    std::filesystem::create_symlink(bravo.pty, link);
    bravo.server.withInstrument([](sim::SimInstrument& in) { in.clearLog(); });

    EXPECT_FALSE(control.WriteNVRam1Byte(300, 0x42));
    EXPECT_EQ(control.link().instrumentChanged(), std::optional<std::string>("its name"));
    EXPECT_FALSE(control.WriteNVRam1Byte(301, 0x42));  // the link stays closed
    const auto atBravo = bravo.commands();
    EXPECT_FALSE(atBravo.empty());  // it was asked who it is
    for (int code : atBravo) EXPECT_NE(code, platform::cmd::WriteNVRam);
    bravo.server.withInstrument([](sim::SimInstrument& in) {
        EXPECT_NE(in.nvram()[300], 0x42);
        EXPECT_NE(in.nvram()[301], 0x42);
    });
    control.ChiudiPortaComunicazione();
    std::filesystem::remove_all(dir);
}

TEST(IntegrityOverPty, AnAnswerWhoseChecksumIsOneIsReadAgain) {
    Served served("ALPHA");
    served.server.withInstrument([](sim::SimInstrument& in) { in.nvram()[0x123] = 0xFE; });
    platform::SystemClock clock;
    platform::qt::QtSerialPort serial;
    instrument::UCKRNVisual control(clock, nullptr, nullptr);
    control.HandlePorta(&serial);
    ASSERT_TRUE(control.ApriComunicazione232(served.pty));
    served.server.withInstrument([](sim::SimInstrument& in) {
        in.clearLog();
        // 02 FE 01 becomes 02 FF 01, whose checksum is 1 as well.
        in.addFault({sim::Fault::Kind::CorruptByte, 7, {}, 0, platform::Bytes{1}});
    });
    EXPECT_EQ(control.ReadNVRam1Byte(0x123), std::optional<std::uint8_t>(0xFE));
    EXPECT_EQ(served.commands(), (std::vector<int>{15, 15, 15}));
    control.ChiudiPortaComunicazione();
}

}  // namespace
