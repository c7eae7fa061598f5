// krnctl's command line as it is built from the command table: every global option after every
// subcommand, the exit codes in every --help, and the bash completion written from the table, run
// in bash; the files of the simulated instrument written back after the command.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "cli/command_line.h"
#include "cli/completion.h"
#include "cli/context.h"

namespace {

struct Built {
    Built() { cli::buildCommandLine(app, options, commands); }
    CLI::App app{"krnctl"};
    cli::GlobalOptions options;
    std::vector<cli::Command> commands;
};

TEST(CommandLine, EveryGlobalOptionIsTakenAfterEverySubcommand) {
    const std::string globals =
        " --yes --json --verify --trace /tmp/t.txt --instrument \"COM: 3\" --folder /srv/krn "
        "--simulate p36e51 --simulate-eeprom /tmp/e";
    const auto took = [](const cli::GlobalOptions& o) {
        return std::tuple(o.yes, o.json, o.verify, o.trace, o.instrument, o.folder, o.simulate,
                          o.simulatedEeprom);
    };
    const auto all =
        std::tuple(true, true, true, std::string("/tmp/t.txt"), std::string("COM: 3"),
                   std::string("/srv/krn"), std::string("p36e51"), std::string("/tmp/e"));
    const Built table;
    const auto leaves = cli::leafCommands(table.app);
    ASSERT_GT(leaves.size(), 40u);
    for (const auto& [path, command] : leaves) {
        Built b;
        try {
            b.app.parse(path + globals);
        } catch (const CLI::RequiredError&) {
            // The subcommand's own arguments are not given here; the globals are still taken.
        } catch (const CLI::ParseError& e) {
            ADD_FAILURE() << path << ": " << e.what();
            continue;
        }
        EXPECT_EQ(took(b.options), all) << path;
        EXPECT_FALSE(command->get_allow_windows_style_options()) << path;
        EXPECT_NE(command->get_footer().find(cli::kExitCodesHelp), std::string::npos) << path;
    }
}

// What bash completes for the words typed so far.
std::string complete(const std::string& script, const std::string& typed) {
    const std::string file = "/tmp/krn_completion_" + std::to_string(::getpid());
    std::ofstream(file) << script;
    const std::string command = "bash -c 'source " + file + "; COMP_WORDS=(" + typed +
                                "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _krnctl; echo "
                                "\"${COMPREPLY[*]}\"'";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    std::remove(file.c_str());
    return out;
}

TEST(Completion, BashCompletesFromTheCommandTable) {
    Built b;
    const std::string script = cli::bashCompletion(b.app);
    EXPECT_EQ(complete(script, "krnctl memory ex"), "export\n");
    EXPECT_EQ(complete(script, "krnctl --json memory export --fr"), "--from\n");
    EXPECT_EQ(complete(script, "krnctl setting start"), "start-force\n");
    EXPECT_EQ(complete(script, "krnctl identify --ye"), "--yes\n");
    EXPECT_EQ(complete(script, "krnctl ident"), "identify\n");
}

// A folder that went away during the command: the run's changes are told lost, not kept.
TEST(Context, TheSimulatedInstrumentIsWrittenBackOrItsLossTold) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("krn_kept" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    cli::GlobalOptions o;
    o.simulate = "p36e51";
    o.simulatedNvram = (dir / "nvram").string();
    cli::Context ctx(o);
    ASSERT_TRUE(ctx.init() && ctx.keepSimulated());
    EXPECT_EQ(std::filesystem::file_size(dir / "nvram"), 512768u);
    std::filesystem::remove_all(dir);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ctx.keepSimulated());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "krnctl: cannot keep the simulated NVRAM in " + o.simulatedNvram +
                  "; what this run changed in it is lost: run the command again with a file "
                  "that can be written.\n");
}

}  // namespace
