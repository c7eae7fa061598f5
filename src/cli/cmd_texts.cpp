// krnctl texts: the display-text commands of krnsetup's menu (compile a translation file, compile
// all, create the translator's file, the menu layout file) and a check that lists every problem
// of a translation file at once.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "platform/text_file.h"
#include "resources/language_files.h"
#include "resources/translation_compiler.h"
#include "resources/translation_export.h"
#include "service/texts/display_texts.h"

namespace cli {
namespace {

struct TextsOptions {
    std::string file;
    int language = 0;
    std::string output;
};

void addLanguage(CLI::App* app, TextsOptions& o) {
    app->add_option("--language", o.language,
                    "Language index: 0 Italiano, 1 English, 2 Français, 3 Español, "
                    "4 Deutsch, 5 Ceská")
        ->required()
        ->check(CLI::Range(0, resources::kLanguageCount - 1));
}

// Lines to a file (Windows-1252, CR LF, through the command's own step) or to stdout (UTF-8).
int printOrWrite(Context& ctx, const std::optional<std::vector<std::string>>& lines,
                 const TextsOptions& o,
                 service::Outcome (*write)(service::CommandHost&, int, const std::string&, bool)) {
    if (!o.output.empty()) return exitCode(write(ctx, o.language, o.output, false));
    if (!lines) return exitCode(write(ctx, o.language, "", false));  // its box tells which files
    for (const auto& l : *lines) std::cout << platform::cp1252ToUtf8(l) << "\n";
    return kDone;
}

int runCheck(Context& ctx, const TextsOptions& o) {
    const auto r = resources::compileTranslation(ctx.programFolder(), o.file, o.language,
                                                 resources::CompileMode::Check);
    if (r.status == resources::CompileStatus::FileError) {
        ctx.message("krnctl: cannot read " + r.fileError +
                    (r.fileReason.empty() ? "" : ": " + r.fileReason));
        return kFileError;
    }
    if (ctx.options().json) {
        Json list = Json::array();
        for (const auto& p : r.problems)
            list.push(Json::object().add("Linea", p.line).add("Testo", p.box));
        std::cout << Json::object().add("File", o.file).add("Problemi", list).str() << "\n";
    } else {
        for (const auto& p : r.problems) {
            std::string text = p.box;
            for (std::size_t i = 0; (i = text.find('\n', i)) != std::string::npos; i += 5)
                text.replace(i, 1, "\n    ");
            std::cout << o.file << ":" << p.line << ": " << text << "\n";
        }
        if (r.problems.empty()) std::cout << o.file << ": no problems\n";
    }
    return r.problems.empty() ? kDone : kFileError;
}

}  // namespace

static void addTextsCommands(CLI::App& app, std::vector<Command>& commands) {
    CLI::App* texts =
        app.add_subcommand("texts", "Display texts, menus and translations of the program folder");
    texts->require_subcommand(1);

    auto compile = std::make_shared<TextsOptions>();
    CLI::App* c = texts->add_subcommand(
        "compile", "Compile a translation file into a language's text and menu files");
    c->add_option("FILE", compile->file, "Translation file")->required();
    addLanguage(c, *compile);
    commands.push_back({c, [compile](Context& ctx) {
                            return exitCode(
                                service::importTranslation(ctx, compile->file, compile->language));
                        }});

    CLI::App* all = texts->add_subcommand(
        "compile-all",
        "Compile TradIta.txt, TradIng.txt, TradFra.txt and TradSpa.txt of the program folder");
    commands.push_back(
        {all, [](Context& ctx) { return exitCode(service::importAllTranslations(ctx)); }});

    auto exp = std::make_shared<TextsOptions>();
    CLI::App* e = texts->add_subcommand(
        "export", "Write the translation file of a language from its current files");
    addLanguage(e, *exp);
    e->add_option("-o,--output", exp->output, "File to write (default: print it)");
    commands.push_back({e, [exp](Context& ctx) {
                            return printOrWrite(
                                ctx,
                                resources::translationLines(ctx.programFolder(), exp->language),
                                *exp, &service::writeTranslationFile);
                        }});

    auto fmt = std::make_shared<TextsOptions>();
    CLI::App* f = texts->add_subcommand(
        "menu-format", "Write the menu layout lines (TrasformaMenu.asm) of a language");
    addLanguage(f, *fmt);
    f->add_option("-o,--output", fmt->output, "File to write (default: print it)");
    commands.push_back({f, [fmt](Context& ctx) {
                            return printOrWrite(
                                ctx, resources::menuFormatLines(ctx.programFolder(), fmt->language),
                                *fmt, &service::writeMenuFormatFile);
                        }});

    auto check = std::make_shared<TextsOptions>();
    CLI::App* k = texts->add_subcommand(
        "check", "List every problem of a translation file; nothing is written");
    k->add_option("FILE", check->file, "Translation file")->required();
    addLanguage(k, *check);
    commands.push_back({k, [check](Context& ctx) { return runCheck(ctx, *check); }});
}

KRN_CLI_COMMANDS(100, addTextsCommands)

}  // namespace cli
