// krnctl memory export/import, jobs save/restore, users export: the byte-level memory files.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/option_checks.h"
#include "service/backup/job_copy.h"
#include "service/backup/memory_commands.h"
#include "service/core/menu_commands.h"

namespace cli {
namespace {

int finish(Context& ctx, service::Outcome outcome, const std::string& file, const char* what) {
    if (ctx.noInstrument()) return kUsage;
    if (outcome != service::Outcome::Done) return exitCode(outcome);
    if (ctx.options().json)
        std::cout << Json::object().add("File", file).str() << "\n";
    else
        std::cout << what << " " << file << "\n";
    return kDone;
}

std::string orMemoryFile(Context& ctx, const std::string& file) {
    return file.empty() ? ctx.programFolder() + "/Memory.asm" : file;
}

int runExport(Context& ctx, const std::optional<std::string>& from,
              const std::optional<std::string>& to, const std::string& file, bool perByte) {
    ctx.answerInputs({from ? InputAnswer::of(*from) : InputAnswer::keep(),
                      to ? InputAnswer::of(*to) : InputAnswer::keep()});
    const service::MemoryExportOptions options{orMemoryFile(ctx, file), perByte};
    return finish(
        ctx,
        service::runCommand(
            ctx, [&](service::CommandHost& host) { return service::ExportMemory(host, options); }),
        options.file, "exported to");
}

int runImport(Context& ctx, const std::string& file) {
    const std::string path = orMemoryFile(ctx, file);
    service::ImportCount count;
    const service::Outcome outcome = service::runCommand(
        ctx, [&](service::CommandHost& host) { return service::ImportMemory(host, path, &count); });
    // What a broken-off import leaves in the instrument: the bytes before the one it stopped at
    // (that one may have been written too). Writing the file again completes it.
    if (outcome != service::Outcome::Done && count.written < count.total)
        ctx.message("krnctl: memory import stopped after " + std::to_string(count.written) +
                    " of " + std::to_string(count.total) +
                    " bytes; run it again to write the rest");
    return finish(ctx, outcome, path, "imported from");
}

// The job copy runs in a conversation locked for the transfer, as "Send text..." holds it.
int runJobs(Context& ctx, const std::string& file, bool save) {
    // The file is checked before the instrument is opened.
    if (const auto checked = service::checkJobCopyFile(ctx, file, save);
        checked != service::Outcome::Done)
        return exitCode(checked);
    return runSession(ctx, true, [&] {
        const service::Outcome outcome =
            save ? service::SalvaLavori(ctx, file) : service::RipristinaLavori(ctx, file);
        return finish(ctx, outcome, file, save ? "jobs saved to" : "jobs written back from");
    });
}

int runUsersExport(Context& ctx, const std::string& file) {
    ctx.answerFile(file);
    return finish(ctx, service::runCommand(ctx, &service::ExportUsersCommand), file,
                  "users exported to");
}

}  // namespace

static void addMemoryCommands(CLI::App& app, std::vector<Command>& commands) {
    auto from = std::make_shared<std::string>();
    auto to = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto perByte = std::make_shared<bool>(false);

    CLI::App* memory =
        app.add_subcommand("memory", "Export an NVRAM range to Memory.asm, or import such a file");
    memory->require_subcommand(1);
    CLI::App* exp = memory->add_subcommand(
        "export", "One line per address: hex address, decimal byte, hex byte");
    exp->add_option("--from", *from, "First address (default 0; &H for hexadecimal)")
        ->check(nvramAddress());
    exp->add_option("--to", *to, "Last address, not below --from (default 524287)")
        ->check(nvramAddress());
    exp->add_option("-o,--output", *file, "The file (default Memory.asm in the program folder)");
    exp->add_flag("--per-byte", *perByte,
                  "Read one byte per frame even where the instrument reads 15");
    commands.push_back({exp, [=](Context& ctx) {
                            return runExport(
                                ctx, exp->count("--from") ? std::optional(*from) : std::nullopt,
                                exp->count("--to") ? std::optional(*to) : std::nullopt, *file,
                                *perByte);
                        }});
    CLI::App* imp =
        memory->add_subcommand("import", "Write the bytes of a memory file (checked whole first)");
    imp->add_option("FILE", *file, "The file (default Memory.asm in the program folder)");
    commands.push_back({imp, [=](Context& ctx) { return runImport(ctx, *file); }});

    CLI::App* jobs = app.add_subcommand(
        "jobs", "Copy the job memory in use to a file, or write such a copy back");
    jobs->require_subcommand(1);
    CLI::App* save = jobs->add_subcommand("save", "Save the jobs the instrument holds");
    save->add_option("FILE", *file, "The copy")->required();
    commands.push_back({save, [=](Context& ctx) { return runJobs(ctx, *file, true); }});
    CLI::App* restore =
        jobs->add_subcommand("restore", "Write a saved copy back (checked whole first)");
    restore->add_option("FILE", *file, "The copy")->required();
    commands.push_back({restore, [=](Context& ctx) { return runJobs(ctx, *file, false); }});

    CLI::App* users = commandGroup(app, "users", "The instrument's operators");
    CLI::App* usersExport =
        users->add_subcommand("export", "Export the user area, scrambled, one number per byte");
    usersExport->add_option("FILE", *file, "The file")->required();
    commands.push_back({usersExport, [=](Context& ctx) { return runUsersExport(ctx, *file); }});
}

KRN_CLI_COMMANDS(90, addMemoryCommands)

}  // namespace cli
