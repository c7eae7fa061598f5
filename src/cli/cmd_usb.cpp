// krnctl usb program / usb set-ids, sn list / sn next / sn init: the USB chip's identity and the
// serial-number list of krnsetup. The list's fields are answered from the options.
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "service/core/menu_commands.h"
#include "service/device/usb_commands.h"

namespace cli {
namespace {

struct UsbOptions {
    int type = 3;
    std::string name;
    std::string user;
    std::string serial;
    std::string file;
};

// The serial-number list, read and checked before anything else happens; nothing (with the
// message) when it is missing or broken.
std::optional<std::vector<std::string>> serialList(Context& ctx) {
    const std::string path = resources::serialListPath(ctx.settings(), ctx.programFolder());
    backup::FileProblem problem;
    auto lines = resources::readSerialList(path, &problem);
    std::error_code ec;
    if (lines)
        return lines;
    else if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
        ctx.message(resources::serialListMissingText() +
                    "\nkrnctl: \"krnctl sn init\" creates an empty list at " + path);
    else
        ctx.message(resources::serialListRefusedText(path, problem));
    return lines;
}

// The number the list proposes; nothing, with the message, when the type's numbers are used up.
std::optional<long> proposal(Context& ctx, const std::vector<std::string>& lines, int type) {
    const long next =
        resources::proposedSerialNumber(lines, ctx.settings(), resources::kProgramSettings, type);
    if (auto usedUp = resources::serialNumbersUsedUp(type, next)) {
        ctx.message(*usedUp);
        return std::nullopt;
    }
    return next;
}

bool validType(Context& ctx, int type) {
    if (type == 3 || type == 4) return true;
    ctx.message("krnctl: --type takes 3 or 4");
    return false;
}

int runProgram(Context& ctx, CLI::App* cmd, const UsbOptions& o) {
    if (!validType(ctx, o.type)) return kUsage;
    const auto lines = serialList(ctx);
    if (!lines) return kFileError;
    if (!proposal(ctx, *lines, o.type)) return kRefused;
    // Without --instrument: the only chip attached, programmed or not (with several, a blank
    // serial number, which the command refuses as ambiguous).
    std::string serial;
    std::uint32_t count = 0;
    if (ctx.usb().ListDevices(count) == platform::FtStatus::Ok && count == 1)
        ctx.usb().ListDevicesByIndex(0, serial);
    ctx.defaultSelection = "USB: " + serial;
    ctx.answerInputs({InputAnswer::keep(),
                      cmd->count("--name") ? InputAnswer::of(o.name) : InputAnswer::keep(),
                      cmd->count("--user") ? InputAnswer::of(o.user) : InputAnswer::keep()});
    const int type = o.type;
    const service::Outcome outcome = service::runCommand(
        ctx, [type](service::CommandHost& h) { return service::programUsbIdentity(h, type); });
    return exitCode(outcome);
}

int runSetIds(Context& ctx, const UsbOptions& o) {
    ctx.defaultSelection = "USB: " + o.serial;
    return exitCode(service::runCommand(ctx, &service::UsbIdsCommand));
}

int runList(Context& ctx) {
    const auto lines = serialList(ctx);
    if (!lines) return kFileError;
    if (ctx.options().json) {
        Json list = Json::array();
        for (const auto& l : *lines) list.push(l);
        std::cout << list.str() << "\n";
    } else {
        for (const auto& l : *lines) std::cout << l << "\n";
    }
    return kDone;
}

int runNext(Context& ctx, const UsbOptions& o) {
    if (!validType(ctx, o.type)) return kUsage;
    const auto lines = serialList(ctx);
    if (!lines) return kFileError;
    const auto proposed = proposal(ctx, *lines, o.type);
    if (!proposed) return kRefused;
    const long next = *proposed;
    if (ctx.options().json)
        std::cout << Json::object()
                         .add("number", static_cast<std::int64_t>(next))
                         .add("serial", resources::serialText(o.type, next))
                         .str()
                  << "\n";
    else
        std::cout << resources::serialText(o.type, next) << "\n";
    return kDone;
}

// An empty list in the list's form, where no file is yet: FILE, or the list's path.
int runInit(Context& ctx, const UsbOptions& o) {
    const std::string configured = resources::serialListPath(ctx.settings(), ctx.programFolder());
    const std::string path = o.file.empty() ? configured : o.file;
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        ctx.message("krnctl: " + path + " exists already; it was left as it is");
        return kRefused;
    }
    if (!resources::createSerialList(path)) {
        ctx.message("krnctl: cannot write " + path);
        return kFileError;
    }
    std::cout << "Created an empty serial-number list: " << path << "\n";
    if (path != configured)
        std::cout << "The list in use is " << configured
                  << " (settings SetupPrograms/Main/FileSN)\n";
    return kDone;
}

}  // namespace

static void addUsbCommands(CLI::App& app, std::vector<Command>& commands) {
    auto o = std::make_shared<UsbOptions>();
    CLI::App* usb = app.add_subcommand("usb", "The USB chip's identity");
    usb->require_subcommand(1);
    CLI::App* program = usb->add_subcommand("program",
                                            "Give the chip the next serial number of the list and "
                                            "the instrument's name (--yes answers the "
                                            "question for a blank chip)");
    program->add_option("--type", o->type, "Device type: 3 (default) or 4");
    program->add_option("--name", o->name, "The instrument's name (default by type)");
    program->add_option("--user", o->user, "The user text of the list line");
    commands.push_back(
        {program, [o, program](Context& ctx) { return runProgram(ctx, program, *o); }});
    CLI::App* ids = usb->add_subcommand(
        "set-ids", "Rewrite the vendor and product identifiers of the chip SERIAL");
    ids->add_option("SERIAL", o->serial, "The chip's serial number")->required();
    commands.push_back({ids, [o](Context& ctx) { return runSetIds(ctx, *o); }});

    CLI::App* sn = app.add_subcommand("sn", "The serial-number list");
    sn->require_subcommand(1);
    CLI::App* list = sn->add_subcommand("list", "Print the list's lines");
    commands.push_back({list, [](Context& ctx) { return runList(ctx); }});
    CLI::App* next = sn->add_subcommand("next", "Print the serial number the list proposes next");
    next->add_option("--type", o->type, "Device type: 3 (default) or 4");
    commands.push_back({next, [o](Context& ctx) { return runNext(ctx, *o); }});
    CLI::App* init = sn->add_subcommand(
        "init", "Create an empty list at FILE (default: the list's path); an existing file stays");
    init->add_option("FILE", o->file, "Where to create the list");
    commands.push_back({init, [o](Context& ctx) { return runInit(ctx, *o); }});
}

KRN_CLI_COMMANDS(170, addUsbCommands)

}  // namespace cli
