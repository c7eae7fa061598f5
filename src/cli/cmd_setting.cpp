// krnctl name, brake-name, deformation, counter, setting: the "&Setting" commands of krnsetup.
// The flows are the window's own; their input boxes are answered from the command line. Run
// without a value, a command stops at its input box and prints what the box offered.
#include <cmath>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "service/core/answers.h"
#include "service/core/menu_commands.h"
#include "service/settings/setting_commands.h"
#include "service/settings/value_commands.h"

namespace cli {
namespace {

// A value is printed as a JSON number when it is a whole one.
void addValue(Json& json, const std::string& key, const std::string& value, bool numeric) {
    if (numeric) {
        if (auto n = parseNumber(value, INT32_MAX)) {
            json.add(key, *n);
            return;
        }
    }
    json.add(key, value);
}

// A number as the command wrote it: rounded to the nearest whole number, halves to even.
std::string keptValue(const std::string& typed, bool numeric) {
    const auto n = numeric ? service::numericAnswer(typed) : std::nullopt;
    return n ? std::to_string(static_cast<long long>(std::nearbyint(*n))) : typed;
}

struct Setting {
    service::MenuCommand command;
    std::vector<std::string> keys;  // one per input box, as the JSON output names the values
    bool numeric;
    // The value as the instrument keeps it after a write (a name is trimmed, cut to its field,
    // and a character the instrument has not becomes "?"), read back by the command.
    std::string (*stored)(Context&) = nullptr;
};

// answers: nothing to write when all of them are Keep or the list is empty.
int runSetting(Context& ctx, const Setting& s, std::vector<InputAnswer> answers) {
    bool write = false;
    for (const auto& a : answers) write = write || a.kind == InputAnswer::Kind::Value;
    if (!write) {
        answers.assign(s.keys.size() - 1, InputAnswer::keep());
        answers.push_back(InputAnswer::cancel());
    }
    ctx.answerInputs(answers);
    const service::Outcome outcome = service::runCommand(ctx, s.command);
    if (ctx.noInstrument()) return kUsage;
    const auto& shown = ctx.shownInputs();
    if ((write && outcome != service::Outcome::Done) || (!write && shown.size() < s.keys.size()))
        return exitCode(outcome);
    Json json = Json::object();
    for (std::size_t i = 0; i < s.keys.size(); ++i) {
        const bool given = write && answers[i].kind == InputAnswer::Kind::Value;
        std::string value = given ? keptValue(answers[i].value, s.numeric) : shown[i].initial;
        if (write && s.stored) value = s.stored(ctx);
        if (ctx.options().json)
            addValue(json, s.keys[i], value, s.numeric);
        else
            std::cout << (s.keys.size() > 1 ? s.keys[i] + ": " : "") << value << "\n";
    }
    if (ctx.options().json) std::cout << json.str() << "\n";
    return kDone;
}

std::vector<InputAnswer> optionalAnswer(CLI::App* app, const std::string& option,
                                        const std::string& value) {
    return app->count(option) ? std::vector{InputAnswer::of(value)} : std::vector<InputAnswer>{};
}

}  // namespace

static void addSettingCommands(CLI::App& app, std::vector<Command>& commands) {
    auto value = std::make_shared<std::string>();
    auto a = std::make_shared<std::string>();
    auto b = std::make_shared<std::string>();

    const Setting name{&service::InstrumentNameCommand, {"Nome"}, false, [](Context& ctx) {
                           return ctx.control().Nome();
                       }};
    CLI::App* nameCmd =
        app.add_subcommand("name", "Show the instrument's name, or change it to NEW");
    nameCmd->add_option("NEW", *value, "The new name");
    commands.push_back({nameCmd, [=](Context& ctx) {
                            return runSetting(ctx, name, optionalAnswer(nameCmd, "NEW", *value));
                        }});

    const Setting brake{&service::SetPointNameCommand, {"NomeFreno"}, false, [](Context& ctx) {
                            return ctx.control().values().NomeFreno;
                        }};
    CLI::App* brakeCmd = app.add_subcommand(
        "brake-name",
        "Show the name of the BRAKE (set-point) output, or change it to NEW (1 to 13 characters)");
    brakeCmd->add_option("NEW", *value, "The new name");
    commands.push_back({brakeCmd, [=](Context& ctx) {
                            return runSetting(ctx, brake, optionalAnswer(brakeCmd, "NEW", *value));
                        }});

    const Setting deformation{
        &service::DeformationCommand, {"CoefDeformazioneA", "CoefDeformazioneB"}, true};
    CLI::App* defCmd = app.add_subcommand(
        "deformation",
        "Show the structure deformation coefficients, or change them (the instrument restarts)");
    // The coefficients and the counter are rounded and checked by the commands themselves.
    defCmd->add_option("--a", *a, "Coefficient A (0 to 255, rounded to a whole number)");
    defCmd->add_option("--b", *b, "Coefficient B (0 to 255, rounded to a whole number)");
    commands.push_back({defCmd, [=](Context& ctx) {
                            std::vector<InputAnswer> answers{
                                defCmd->count("--a") ? InputAnswer::of(*a) : InputAnswer::keep(),
                                defCmd->count("--b") ? InputAnswer::of(*b) : InputAnswer::keep()};
                            return runSetting(ctx, deformation, answers);
                        }});

    const Setting counter{&service::CounterCommand, {"ContaColpi"}, true};
    CLI::App* counterCmd =
        app.add_subcommand("counter", "Show the main hit counter, or set it with --set N");
    counterCmd->add_option("--set", *value,
                           "The new counter value (0 to 2147483647, rounded to a whole number)");
    commands.push_back({counterCmd, [=](Context& ctx) {
                            return runSetting(ctx, counter,
                                              optionalAnswer(counterCmd, "--set", *value));
                        }});

    CLI::App* setting = app.add_subcommand("setting",
                                           "Show or change one configuration value (a change asks "
                                           "\"Send new value?\"; --yes answers it)");
    setting->require_subcommand(1);
    // Values are checked by the command itself, with the instrument's own texts ("Insert a
    // number in range 1 to 255.", exit 3), as krnsetup checks them.
    for (const service::ValueCommandEntry& e : service::valueCommands()) {
        const Setting s{e.command, {e.member}, true};
        CLI::App* sub = setting->add_subcommand(e.shortName, e.help);
        sub->add_option("VALUE", *value, "The new value");
        commands.push_back({sub, [=](Context& ctx) {
                                return runSetting(ctx, s, optionalAnswer(sub, "VALUE", *value));
                            }});
    }
}

KRN_CLI_COMMANDS(80, addSettingCommands)

}  // namespace cli
