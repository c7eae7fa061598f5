// krnctl send-text: krnsetup's "Send text..." with the languages given on the command line. The
// questions ("Send text to KRN?", the restore of a broken send) are answered by --yes or asked on
// the terminal; with neither they count as No and nothing is written.
#include <cctype>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "resources/language_files.h"
#include "service/core/menu_commands.h"
#include "service/texts/send_text.h"

namespace cli {
namespace {

std::string lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

// A language as krnctl takes it: its index 0..5, its name as the language table shows it
// ("English", "Français") or the code of its files ("Ing" of "TestoIng.asm"), in any case.
std::optional<std::int16_t> languageIndex(const std::string& text) {
    const std::string t = lower(text);
    for (int i = 0; i < resources::kLanguageCount; ++i) {
        const resources::LanguageFiles* l = resources::language(i);
        const std::string file = l->textFile;  // "Testo" + code + ".asm"
        if (t == std::to_string(i) || t == lower(l->name) || t == lower(file.substr(5, 3)))
            return static_cast<std::int16_t>(i);
    }
    return std::nullopt;
}

// "A,B" or "A": the main and the second language (English when only one is given).
std::optional<service::SendTextLanguages> parseLanguages(const std::string& text) {
    const auto comma = text.find(',');
    const auto first = languageIndex(text.substr(0, comma));
    if (!first) return std::nullopt;
    service::SendTextLanguages l{*first, 1};
    if (comma != std::string::npos) {
        const auto second = languageIndex(text.substr(comma + 1));
        if (!second) return std::nullopt;
        l.lingua2 = *second;
    }
    return l;
}

int runSendText(Context& ctx, const std::string& languages) {
    const auto l = parseLanguages(languages);
    if (!l) {
        ctx.message("krnctl: unknown language in \"" + languages + "\"");
        return kUsage;
    }
    service::SendTextLanguages sent = *l;
    const service::Outcome outcome = service::runCommand(
        ctx, [&](service::CommandHost& host) { return service::sendText(host, *l, &sent); });
    if (ctx.noInstrument()) return kUsage;
    // An instrument that shows one language gets no second one, whatever was asked for.
    if (sent.lingua2 < 0 && languages.find(',') != std::string::npos)
        ctx.message("krnctl: this instrument shows one language only: " +
                    std::string(resources::language(l->lingua2)->name) + " was not sent");
    if (ctx.options().json) {
        Json json = Json::object();
        json.add("Lingua1", sent.lingua1);
        if (sent.lingua2 >= 0) json.add("Lingua2", sent.lingua2);
        std::cout << json.add("Esito", outcome == service::Outcome::Done).str() << "\n";
    }
    return exitCode(outcome);
}

}  // namespace

static void addSendTextCommand(CLI::App& app, std::vector<Command>& commands) {
    auto languages = std::make_shared<std::string>();
    CLI::App* s = app.add_subcommand(
        "send-text",
        "Send new display texts and menus to the instrument, keeping its configuration and jobs");
    s->add_option("--languages", *languages,
                  "Main and second language, e.g. \"Ita,Ing\": 0..5, the language's name "
                  "(Italiano, English, Français, Español, Deutsch, Ceská) or its file code "
                  "(Ita, Ing, Fra, Spa, Ted, Cec)")
        ->required();
    commands.push_back({s, [languages](Context& ctx) { return runSendText(ctx, *languages); }});
}

KRN_CLI_COMMANDS(180, addSendTextCommand)

}  // namespace cli
