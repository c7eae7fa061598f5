// The backup and restore commands: the question, the conversation, cancel. (What they report,
// and a file that cannot be read: e2e Programs, BadInput and HostileFiles.)
#include <gtest/gtest.h>

#include <tuple>

#include "service/backup/backup_commands.h"
#include "service/command_log.h"
#include "support/image_folder.h"

using service::Outcome;
using testing_support::InstrumentRig;
using testing_support::TestHost;

namespace {

TEST(BackupCommands, BackupThenRestoreAskedCancelledAndDone) {
    testing_support::ImageFolder dir("backup");
    const std::string file = dir.file("a.ini");
    InstrumentRig rig("p36e51");
    TestHost host(rig);
    std::string summary;
    const backup::RestoreGroups config{false, true, false};
    // A backup, or a restore whose question is answered `answer`, on "COM: 1".
    const auto run = [&](bool restore, platform::MessageResult answer) {
        rig.instrument.clearLog();
        host.selections = {"COM: 1"};
        host.boxes.answers = {answer};
        return service::runCommand(host, [&](auto& h) {
            return restore ? service::RestoreCommand(h, file, config, summary)
                           : service::BackupCommand(h, file, summary);
        });
    };
    ASSERT_EQ(run(false, platform::MessageResult::Ok), Outcome::Done);
    EXPECT_FALSE(rig.control.Collegato());

    // The question names the instrument and defaults to No; No writes nothing.
    EXPECT_EQ(run(true, platform::MessageResult::No), Outcome::Cancelled);
    const platform::MessageBox& asked = host.boxes.boxes.back();
    EXPECT_EQ(std::tie(asked.text, asked.informative, asked.defaultButton),
              std::make_tuple("Restore configuration from " + file + " into the instrument?",
                              std::string("Instrument: KRN-36, COM: 1 (RS-232)"), 1));
    for (int code : rig.commands()) EXPECT_TRUE(code != 14 && code != 40) << code;
    EXPECT_FALSE(rig.control.Collegato());

    // Cancel pressed during the transfer: the restore stops, the instrument is released.
    host.cancelAfterEvents = 3;
    EXPECT_EQ(run(true, platform::MessageResult::Yes), Outcome::Cancelled);
    EXPECT_EQ(testing_support::lastRequests(rig, 3),
              (std::vector<std::string>{"20/0", "18/3", "18/9"}));
    host.cancelAfterEvents = -1;
    EXPECT_EQ(run(true, platform::MessageResult::Yes), Outcome::Done);
}

}  // namespace
