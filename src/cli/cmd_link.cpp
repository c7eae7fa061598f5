// Raw link commands: one frame exchanged by hand, and the ports present.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"

namespace cli {
namespace {

int runExchange(Context& ctx, const std::vector<std::string>& byteTexts) {
    std::vector<std::uint8_t> bytes;
    for (const auto& t : byteTexts) {
        auto b = parseByte(t);
        if (!b) {
            ctx.message("krnctl: \"" + t + "\" is not a byte (0..255, decimal or 0x hex)");
            return kUsage;
        }
        bytes.push_back(*b);
    }
    if (bytes.empty() || bytes.size() > krnlink::Request::kMaxBytes) {
        ctx.message("krnctl: exchange takes a command code and at most 47 argument bytes");
        return kUsage;
    }
    std::string desc = ctx.description();
    if (desc.empty()) return kUsage;
    if (!ctx.open(desc, false)) return kInstrumentFailed;

    // The request goes into BufferTx through the link, the one place that counts LEN; the
    // exchange is the link's own primitive, with its attempts.
    auto& link = ctx.instrument().link();
    link.prepare(krnlink::Request(bytes[0]).bytes(std::span(bytes).subspan(1)));
    const bool ok = link.EseguiTransazione(false);
    link.ChiudiPortaComunicazione();
    if (!ok) {
        ctx.message("krnctl: no valid answer to command " + std::to_string(bytes[0]) +
                    " (missing or wrong echo, bad length or checksum)");
        return kInstrumentFailed;
    }
    const auto& rx = link.BufferRx;
    platform::Bytes data(rx.begin() + 1, rx.begin() + 1 + rx[0]);
    if (ctx.options().json) {
        Json values = Json::array();
        for (auto b : data) values.push(static_cast<std::int64_t>(b));
        std::cout << Json::object()
                         .add("command", static_cast<int>(bytes[0]))
                         .add("answer", platform::toHex(data))
                         .add("BufferRx", values)
                         .str()
                  << "\n";
    } else {
        std::cout << (data.empty() ? "(no data)" : platform::toHex(data)) << "\n";
    }
    return kDone;
}

int runPorts(Context& ctx) {
    auto serial = ctx.serialPorts().ports();
    std::vector<std::string> usb;
    std::uint32_t count = 0;
    auto status = ctx.usb().ListDevices(count);
    for (std::uint32_t i = 0; i < count && status == platform::FtStatus::Ok; ++i) {
        std::string serial;
        if (ctx.usb().ListDevicesByIndex(i, serial) == platform::FtStatus::Ok)
            usb.push_back(serial);
    }
    if (ctx.options().json) {
        Json s = Json::array();
        for (std::size_t i = 0; i < serial.size(); ++i)
            s.push(Json::object()
                       .add("description", "COM: " + std::to_string(i + 1))
                       .add("location", serial[i].location)
                       .add("info", serial[i].description));
        Json u = Json::array();
        for (const auto& sn : usb) u.push(Json::object().add("description", "USB: " + sn));
        std::cout << Json::object().add("serial", s).add("usb", u).str() << "\n";
        return kDone;
    }
    std::cout << "Serial ports:\n";
    if (serial.empty()) std::cout << "  (none)\n";
    for (std::size_t i = 0; i < serial.size(); ++i)
        std::cout << "  COM: " << i + 1 << "  " << serial[i].location
                  << (serial[i].description.empty() ? "" : "  " + serial[i].description) << "\n";
    std::cout << "USB (FTDI) devices:\n";
    if (status != platform::FtStatus::Ok)
        std::cout << "  (cannot list: " << platform::ftStatusText(status) << ")\n";
    else if (usb.empty())
        std::cout << "  (none)\n";
    for (const auto& sn : usb) std::cout << "  USB: " << sn << "\n";
    return kDone;
}

}  // namespace

static void addLinkCommands(CLI::App& app, std::vector<Command>& commands) {
    auto bytes = std::make_shared<std::vector<std::string>>();
    CLI::App* exchange = app.add_subcommand(
        "exchange",
        "Send one frame (command code and argument bytes) without identification and "
        "print the answer's data bytes in hex");
    exchange->add_option("bytes", *bytes, "Command code, then argument bytes (decimal or 0x hex)")
        ->required();
    commands.push_back({exchange, [bytes](Context& ctx) { return runExchange(ctx, *bytes); }});

    CLI::App* ports = app.add_subcommand(
        "ports", "List the serial ports and FTDI USB devices present, without opening them");
    commands.push_back({ports, [](Context& ctx) { return runPorts(ctx); }});
}

KRN_CLI_COMMANDS(10, addLinkCommands)

}  // namespace cli
