// krnctl memtest, header, history reset: the memory test, the NVRAM header with its new
// checksum, and the history reset of krnsetup.
#include <iostream>
#include <memory>

#include "cli/adapters.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "service/core/menu_commands.h"
#include "service/core/messages.h"
#include "service/settings/nvram_commands.h"

namespace cli {
namespace {

int runMemtest(Context& ctx, int cycles) {
    // The instrument's own test takes an even count below 256; the same limit holds for the
    // test from the computer, so that a count means the same on every instrument.
    if (cycles < 2 || cycles > 254 || cycles % 2 != 0) {
        std::cerr << "krnctl: --cycles takes an even number from 2 to 254\n";
        return kUsage;
    }
    const service::Outcome outcome = service::runCommand(
        ctx, [cycles](service::CommandHost& h) { return service::MemoryTestCommand(h, cycles); });
    if (ctx.noInstrument()) return kUsage;
    if (ctx.options().json)
        std::cout << Json::object()
                         .add("Cicli", cycles)
                         .add("Esito", outcome == service::Outcome::Done)
                         .str()
                  << "\n";
    return exitCode(outcome);
}

int runHeader(Context& ctx, bool writeChecksum) {
    ctx.answerQuestions(
        {writeChecksum ? platform::MessageResult::Yes : platform::MessageResult::No});
    std::optional<std::array<std::uint8_t, 12>> header;
    const service::Outcome outcome = service::runCommand(ctx, [&header](service::CommandHost& h) {
        return service::WriteCheckSumCommand(h, &header);
    });
    if (ctx.noInstrument()) return kUsage;
    if (header) {
        if (ctx.options().json) {
            Json bytes = Json::array();
            for (std::uint8_t b : *header) bytes.push(std::int64_t{b});
            std::cout << Json::object().add("Testata", bytes).str() << "\n";
        } else if (!adapters::stdoutIsTerminal() || !adapters::stderrIsTerminal()) {
            // The box's lines after "Stato:", for a script; on a terminal the box (on stderr)
            // has shown them already.
            const std::string text = service::testoTestata(*header);
            std::cout << text.substr(text.find('\n') + 1);
        }
    }
    return exitCode(outcome);
}

// The history reset works on the link the control holds; krnctl has none between commands, so
// it opens one for it (with the configuration read), and the command ends it.
int runHistoryReset(Context& ctx) {
    const auto description = ctx.selectInstrument(service::text::kSelectInstrument, {});
    if (!description) return kUsage;
    if (!ctx.open(*description, true)) return kInstrumentFailed;
    return exitCode(service::runCommand(ctx, &service::ResetHistoryCommand));
}

}  // namespace

static void addMemtestCommands(CLI::App& app, std::vector<Command>& commands) {
    auto cycles = std::make_shared<int>(service::kCicliTestMemoria);
    auto writeChecksum = std::make_shared<bool>(false);

    CLI::App* memtest = app.add_subcommand(
        "memtest",
        "Erase the NVRAM and test it (asks twice; --yes answers); the instrument is left "
        "unformatted");
    memtest->add_option("--cycles", *cycles, "Cycles of the test, even, 2 to 254 (default 200)");
    commands.push_back({memtest, [=](Context& ctx) { return runMemtest(ctx, *cycles); }});

    CLI::App* header = app.add_subcommand(
        "header", "Show the twelve NVRAM header bytes, or write a new signature");
    header->add_flag("--write-checksum", *writeChecksum,
                     "Write the signature (\"FontOK\", font type, \"KRNV\", NVRAM type)");
    commands.push_back({header, [=](Context& ctx) { return runHeader(ctx, *writeChecksum); }});

    CLI::App* history = app.add_subcommand("history", "The instrument's history of job versions");
    history->require_subcommand(1);
    CLI::App* reset = history->add_subcommand(
        "reset", "Clear the history and restart the instrument (asks; --yes answers)");
    commands.push_back({reset, [](Context& ctx) { return runHistoryReset(ctx); }});
}

KRN_CLI_COMMANDS(190, addMemtestCommands)

}  // namespace cli
