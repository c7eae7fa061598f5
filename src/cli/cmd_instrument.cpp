// krnctl nvram, restart, update-mode: thin uses of the instrument control.
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/progress.h"

namespace cli {
namespace {

constexpr std::int64_t kMaxAddress = 0xFFFFFF;

std::optional<std::int32_t> address(Context& ctx, const std::string& text) {
    auto a = parseNumber(text, kMaxAddress);
    if (!a) ctx.message("krnctl: \"" + text + "\" is not an NVRAM address (0..0xFFFFFF)");
    return a ? std::optional<std::int32_t>(static_cast<std::int32_t>(*a)) : std::nullopt;
}

void hexDump(std::int32_t start, const std::vector<std::uint8_t>& data) {
    for (std::size_t i = 0; i < data.size(); i += 16) {
        std::printf("%06X:", static_cast<unsigned>(start + static_cast<std::int32_t>(i)));
        for (std::size_t k = i; k < std::min(data.size(), i + 16); ++k)
            std::printf(" %02X", data[k]);
        std::printf("\n");
    }
}

int runNvramRead(Context& ctx, const std::string& addrText, const std::string& countText) {
    auto a = address(ctx, addrText);
    if (!a) return kUsage;
    auto count = parseNumber(countText, 0x100000);
    if (!count || *count < 1 || *a + *count > kMaxAddress + 1) {
        ctx.message("krnctl: COUNT must be 1 or more and stay within the 24-bit address space");
        return kUsage;
    }
    return runSession(ctx, false, [&] {
        auto& c = ctx.instrument();
        TerminalProgress bar(ctx.progressAllowed() && *count > 256, "Reading");
        std::vector<std::uint8_t> data;
        // Read in pieces so that the bar moves and a failure says where it happened.
        constexpr std::int32_t kPiece = 240;
        for (std::int32_t done = 0; done < *count; done += kPiece) {
            const std::int32_t n =
                std::min<std::int32_t>(kPiece, static_cast<std::int32_t>(*count) - done);
            auto piece = c.ReadNVRamBytes(*a + done, n);
            if (!piece) {
                ctx.communicationError("NVRAM read failed at " + std::to_string(*a + done));
                return kInstrumentFailed;
            }
            data.insert(data.end(), piece->begin(), piece->end());
            bar.show(done + n, *count);
        }
        if (ctx.options().json) {
            Json values = Json::array();
            for (auto b : data) values.push(static_cast<std::int64_t>(b));
            std::cout << Json::object()
                             .add("Indirizzo", static_cast<std::int64_t>(*a))
                             .add("Dati", values)
                             .str()
                      << "\n";
        } else {
            hexDump(*a, data);
        }
        return kDone;
    });
}

int runNvramWrite(Context& ctx, const std::string& addrText,
                  const std::vector<std::string>& byteTexts) {
    auto a = address(ctx, addrText);
    if (!a) return kUsage;
    std::vector<std::uint8_t> data;
    for (const auto& t : byteTexts) {
        auto b = parseByte(t);
        if (!b) {
            ctx.message("krnctl: \"" + t + "\" is not a byte (0..255, decimal or 0x hex)");
            return kUsage;
        }
        data.push_back(*b);
    }
    if (data.empty() || *a + static_cast<std::int64_t>(data.size()) > kMaxAddress + 1) {
        ctx.message("krnctl: give at least one byte, within the 24-bit address space");
        return kUsage;
    }
    return runSession(ctx, true, [&] {
        if (!ctx.instrument().WriteNVRamBytes(*a, data)) {
            ctx.communicationError("NVRAM write failed");
            return kInstrumentFailed;
        }
        if (!ctx.options().json)
            std::cout << data.size() << " bytes written at " << *a << "\n";
        else
            std::cout << Json::object()
                             .add("Indirizzo", static_cast<std::int64_t>(*a))
                             .add("Scritti", static_cast<std::int64_t>(data.size()))
                             .str()
                      << "\n";
        return kDone;
    });
}

int runRestart(Context& ctx) {
    return runSession(ctx, true, [&] {
        auto& c = ctx.instrument();
        TerminalProgress bar(ctx.progressAllowed(), "Restarting");
        const bool ok = c.ResetStrumento(0, 100, bar);
        if (!ok) {
            ctx.communicationError("the instrument did not answer after its restart");
            return kInstrumentFailed;
        }
        if (!ctx.options().json)
            std::cout << "restarted\n";
        else
            std::cout << Json::object().add("restarted", true).str() << "\n";
        return kDone;
    });
}

int runUpdateMode(Context& ctx, const std::string& mode) {
    if (mode != "on" && mode != "off") {
        ctx.message("krnctl: update-mode takes on or off");
        return kUsage;
    }
    const bool wanted = mode == "on";
    return runSession(ctx, true, [&] {
        auto& c = ctx.instrument();
        // Whether the loader runs: an NVRAM of another format is in update mode for the
        // configuration read while the firmware runs, and can still be switched into the loader.
        if (c.LoaderAttivo() == wanted) {
            ctx.message(std::string("krnctl: the instrument is already ") +
                        (wanted ? "in" : "out of") + " update mode");
            return kRefused;
        }
        TerminalProgress bar(ctx.progressAllowed(), "Restarting");
        const bool ok = c.SetUpdateMode(wanted, bar);
        if (!ok) {
            ctx.communicationError("the instrument did not change its update mode");
            return kInstrumentFailed;
        }
        if (!ctx.options().json)
            std::cout << "update mode " << mode << "\n";
        else
            std::cout << Json::object().add("UpdateMode", c.UpdateMode()).str() << "\n";
        return kDone;
    });
}

}  // namespace

static void addInstrumentCommands(CLI::App& app, std::vector<Command>& commands) {
    auto addr = std::make_shared<std::string>();
    auto count = std::make_shared<std::string>("1");
    auto bytes = std::make_shared<std::vector<std::string>>();
    auto value = std::make_shared<std::string>();

    CLI::App* nvram = app.add_subcommand("nvram", "Read or write instrument NVRAM");
    nvram->require_subcommand(1);
    CLI::App* read = nvram->add_subcommand("read", "Print COUNT bytes of NVRAM from ADDR in hex");
    read->add_option("ADDR", *addr, "Address, decimal or 0x hex")->required();
    read->add_option("COUNT", *count, "Number of bytes (default 1)");
    commands.push_back({read, [=](Context& ctx) { return runNvramRead(ctx, *addr, *count); }});
    CLI::App* write = nvram->add_subcommand(
        "write", "Write bytes to NVRAM from ADDR (press and keyboard locked)");
    write->add_option("ADDR", *addr, "Address, decimal or 0x hex")->required();
    write->add_option("BYTE", *bytes, "Bytes, decimal or 0x hex")->required();
    commands.push_back({write, [=](Context& ctx) { return runNvramWrite(ctx, *addr, *bytes); }});

    CLI::App* restart =
        app.add_subcommand("restart", "Restart the instrument and wait until it answers again");
    commands.push_back({restart, [](Context& ctx) { return runRestart(ctx); }});

    CLI::App* update = app.add_subcommand(
        "update-mode", "Switch the firmware loader on or off (the instrument restarts)");
    update->add_option("MODE", *value, "on or off")->required();
    commands.push_back({update, [=](Context& ctx) { return runUpdateMode(ctx, *value); }});
}

KRN_CLI_COMMANDS(30, addInstrumentCommands)

}  // namespace cli
