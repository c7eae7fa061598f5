// krnctl fonts build: the font builder of krnsetup without its window; --preview writes an
// enlarged picture of every glyph with its number.
#include <iostream>
#include <memory>

#include "cli/adapters.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "service/texts/fonts.h"

namespace cli {
namespace {

struct FontOptions {
    std::string format = "8x10";
    std::string font;
    int size = 0;
    bool bold = true;  // the preferences' default in every group
    bool italic = false;
    int x = 0;
    int y = 0;
    bool xGiven = false;
    std::string preview;
    std::string output;
};

int runBuild(Context& ctx, const FontOptions& o, CLI::App* app) {
    const resources::FontFormat format = o.format == "6x6"    ? resources::FontFormat::F6x6
                                         : o.format == "8x11" ? resources::FontFormat::F8x11
                                                              : resources::FontFormat::F8x10;
    resources::FontSettings font = resources::CPreferenze::defaults(format);
    if (!o.font.empty()) font.name = o.font;
    if (o.size > 0) font.size = o.size;
    font.bold = o.bold;
    font.italic = o.italic;
    if (app->count("--x") > 0) font.xOffset = o.x;
    if (app->count("--y") > 0) font.yOffset = o.y;

    const auto renderer = adapters::glyphRenderer();
    if (!renderer) {
        ctx.message(
            "krnctl: this build draws no fonts; build them with krnsetup or krnctl on Linux");
        return kUsage;
    }
    // A preview alone only looks: the program folder's font file stays as it is.
    const bool writeFile = o.preview.empty() || !o.output.empty();
    const service::FontBuild b =
        service::createFontFile(ctx, *renderer, format, font, o.output, writeFile);
    if (b.outcome != service::Outcome::Done) return exitCode(b.outcome);
    const auto g = resources::fontGeometry(format);
    const std::string caption = o.format + "  " + b.family + " " + std::to_string(font.size) +
                                (font.bold ? " bold" : "") + (font.italic ? " italic" : "") +
                                "  x " + std::to_string(font.xOffset) + " y " +
                                std::to_string(font.yOffset);
    if (!o.preview.empty() && !adapters::writeGlyphSheet(o.preview, b.glyphs, g.width, caption)) {
        ctx.message("krnctl: cannot write " + o.preview);
        return kFileError;
    }
    if (ctx.options().json) {
        std::cout << Json::object()
                         .add("Formato", o.format)
                         .add("FontName", font.name)
                         .add("Font", b.family)
                         .add("File", writeFile ? b.path : std::string())
                         .add("Caratteri", static_cast<std::int64_t>(b.glyphs.size()))
                         .str()
                  << "\n";
    } else {
        std::cout << "Font: " << b.family
                  << (b.family == font.name ? "" : " (asked for " + font.name + ")") << "\n"
                  << (writeFile ? "Written: " + b.path : std::string("No font file written"))
                  << " (" << b.glyphs.size() << " characters)\n";
        if (!o.preview.empty()) std::cout << "Preview: " << o.preview << "\n";
    }
    return kDone;
}

}  // namespace

static void addFontsCommands(CLI::App& app, std::vector<Command>& commands) {
    CLI::App* fonts = app.add_subcommand("fonts", "Bitmap fonts of the instrument's display");
    fonts->require_subcommand(1);
    auto o = std::make_shared<FontOptions>();
    CLI::App* build = fonts->add_subcommand(
        "build", "Draw the characters with a system font and write the font file");
    build
        ->add_option("--format", o->format,
                     "6x6 (digits, Font6x6.asm), 8x10 or 8x11 (Font8x10.asm)")
        ->check(CLI::IsMember({"6x6", "8x10", "8x11"}));
    build->add_option("--font", o->font,
                      "Font family (default: Small Fonts for 6x6, Lucida Console otherwise)");
    build->add_option("--size", o->size, "Point size (default 6 for 6x6, 8 otherwise)")
        ->check(CLI::Range(1, 72));
    build->add_flag("--bold,!--no-bold", o->bold, "Bold (the default; --no-bold for regular)");
    build->add_flag("--italic", o->italic, "Italic");
    build->add_option("--x", o->x, "Horizontal offset in the cell, pixels (default 0)")
        ->check(CLI::Range(-20, 20));
    build
        ->add_option("--y", o->y,
                     "Vertical offset in the cell, pixels (default -2 for 6x6, -3 otherwise)")
        ->check(CLI::Range(-20, 20));
    build->add_option("--preview", o->preview,
                      "Write an enlarged picture of every glyph (PNG); without -o no font file "
                      "is written");
    build->add_option("-o,--output", o->output,
                      "File to write (default: the format's file in the program folder)");
    commands.push_back({build, [o, build](Context& ctx) { return runBuild(ctx, *o, build); }});
}

KRN_CLI_COMMANDS(110, addFontsCommands)

}  // namespace cli
