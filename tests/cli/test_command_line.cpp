// krnctl's command line as it is built from the command table: every global option after every
// subcommand, the exit codes in every --help, the closing line of a failed command, and the bash
// completion written from the table, run in bash.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/closing_line.h"
#include "cli/command_line.h"
#include "cli/completion.h"

namespace {

struct Built {
    Built() { cli::buildCommandLine(app, options, commands); }
    CLI::App app{"krnctl"};
    cli::GlobalOptions options;
    std::vector<cli::Command> commands;
};

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

TEST(CommandLine, EveryGlobalOptionIsTakenAfterEverySubcommand) {
    using Options = cli::GlobalOptions;
    const struct {
        std::vector<std::string> args;
        std::function<bool(const Options&)> took;
    } globals[] = {
        {{"--yes"}, [](const Options& o) { return o.yes; }},
        {{"--json"}, [](const Options& o) { return o.json; }},
        {{"--verify"}, [](const Options& o) { return o.verify; }},
        {{"--trace", "/tmp/t.txt"}, [](const Options& o) { return o.trace == "/tmp/t.txt"; }},
        {{"--instrument", "COM: 3"}, [](const Options& o) { return o.instrument == "COM: 3"; }},
        {{"--folder", "/srv/krn"}, [](const Options& o) { return o.folder == "/srv/krn"; }},
        {{"--simulate", "p36e51"}, [](const Options& o) { return o.simulate == "p36e51"; }},
        {{"--simulate-eeprom", "/tmp/e"},
         [](const Options& o) { return o.simulatedEeprom == "/tmp/e"; }},
    };
    const Built table;
    const auto leaves = cli::leafCommands(table.app);
    ASSERT_GT(leaves.size(), 40u);
    for (const auto& [path, command] : leaves) {
        Built b;
        std::vector<std::string> args = words(path);
        for (const auto& g : globals) args.insert(args.end(), g.args.begin(), g.args.end());
        std::reverse(args.begin(), args.end());  // CLI11 takes them last first
        try {
            b.app.parse(args);
        } catch (const CLI::RequiredError&) {
            // The subcommand's own arguments are not given here; the globals are still taken.
        } catch (const CLI::ParseError& e) {
            ADD_FAILURE() << path << ": " << e.what();
            continue;
        }
        for (const auto& g : globals) EXPECT_TRUE(g.took(b.options)) << path << " " << g.args[0];
        EXPECT_FALSE(command->get_allow_windows_style_options()) << path;
        EXPECT_NE(command->get_footer().find(cli::kExitCodesHelp), std::string::npos) << path;
    }
}

TEST(CommandLine, APathBeginningWithASlashIsAnArgument) {
    Built b;
    std::vector<std::string> args{"/srv/line5.ini", "show", "profile"};
    b.app.parse(args);
    const auto leaves = cli::leafCommands(b.app);
    const auto show = std::find_if(leaves.begin(), leaves.end(),
                                   [](const auto& l) { return l.first == "profile show"; });
    ASSERT_NE(show, leaves.end());
    EXPECT_EQ(show->second->get_option("FILE")->as<std::string>(), "/srv/line5.ini");
}

TEST(ClosingLine, SaysWhatHappenedTheStateAndWhatToRun) {
    const struct {
        std::string path;
        int code;
        std::string line;
    } cases[] = {
        {"format", 3,
         "krnctl: format was refused or cancelled; the instrument may not be formatted now: run "
         "krnctl format again."},
        {"jobs restore", 1,
         "krnctl: jobs restore failed (the instrument or the link); the job memory may be "
         "written only in part: run krnctl jobs restore FILE again."},
        {"firmware update", 3,
         "krnctl: firmware update was refused or cancelled; the instrument's firmware is "
         "incomplete: run krnctl firmware update again before anything else."},
        {"setting start-force", 3,
         "krnctl: setting start-force was refused or cancelled; the instrument keeps either the "
         "old value or the new one: run krnctl setting start-force without a value to see "
         "which."},
        {"identify", 1,
         "krnctl: identify failed (the instrument or the link); the instrument was not changed: "
         "check the cable or the network and run krnctl identify again."},
        {"restore", 4,
         "krnctl: restore stopped at a file; nothing was written to the instrument: correct the "
         "file named above and run the command again."},
    };
    for (const auto& c : cases) EXPECT_EQ(cli::closingLine(c.path, c.code), c.line);
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

}  // namespace
