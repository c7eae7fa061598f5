// krnctl screen: the screen copy of krnsetup without its window; the picture is saved as a
// Windows bitmap (FILE.bmp) or, through the bitmap, as PNG (FILE.png).
#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/adapters.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "platform/files.h"
#include "service/core/conversation.h"
#include "service/core/menu_commands.h"
#include "service/diagnostics/screen_copy.h"

namespace cli {
namespace {

struct ScreenOptions {
    bool menu = false;
    std::string output;
};

std::string lowerExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return {};
    std::string e = path.substr(dot);
    std::transform(e.begin(), e.end(), e.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return e;
}

bool writePicture(const resources::ScreenPicture& picture, const std::string& path) {
    if (lowerExtension(path) == ".png")
        return adapters::writePngFromBitmap(resources::bitmapFile(picture), path);
    return resources::writeBitmapFile(picture, path);
}

int runScreen(Context& ctx, const ScreenOptions& o) {
    const std::string extension = lowerExtension(o.output);
    if (extension != ".bmp" && extension != ".png") {
        ctx.message("krnctl: the picture is saved as FILE.bmp or FILE.png");
        return kUsage;
    }
    // Said before the display is read, not after.
    if (extension == ".png" && !adapters::writesPng()) {
        ctx.message("krnctl: this build saves the picture as FILE.bmp only (no PNG encoder)");
        return kUsage;
    }
    // A target that is no file is refused before the instrument is opened.
    if (const auto refused = platform::refusedTarget(o.output)) {
        ctx.message("krnctl: cannot write " + refused->text());
        return kFileError;
    }
    service::ScreenCopy copy(o.menu);
    service::ScreenCopyEnd end = service::ScreenCopyEnd::NoLink;
    const service::Outcome outcome = service::runCommand(ctx, [&](service::CommandHost& host) {
        const auto description = service::selectInstrument(host);
        if (!description) return service::Outcome::Cancelled;
        end = copy.start(host, *description, {ctx.control(), ctx.serialPort(), ctx.socket()});
        return service::Outcome::Done;
    });
    if (ctx.noInstrument()) return kUsage;
    if (outcome != service::Outcome::Done) return exitCode(outcome);
    switch (end) {
        case service::ScreenCopyEnd::NoLink:
            return kInstrumentFailed;
        case service::ScreenCopyEnd::Cancelled:
            return kRefused;
        case service::ScreenCopyEnd::Incomplete:
            ctx.message(
                "krnctl: the instrument stopped answering the display reads; the picture is "
                "incomplete");
            break;
        case service::ScreenCopyEnd::Complete:
            break;
    }
    if (!writePicture(copy.picture(), o.output)) {
        ctx.message("krnctl: cannot write " + o.output +
                    " (the disk may be full); no picture was written");
        return kFileError;
    }
    const bool complete = end == service::ScreenCopyEnd::Complete;
    if (ctx.options().json)
        std::cout << Json::object()
                         .add("File", o.output)
                         .add("Righe", copy.rows())
                         .add("Larghezza", copy.picture().width())
                         .add("Altezza", copy.picture().height())
                         .add("Completa", complete)
                         .str()
                  << "\n";
    return complete ? kDone : kInstrumentFailed;
}

}  // namespace

static void addScreenCommand(CLI::App& app, std::vector<Command>& commands) {
    auto o = std::make_shared<ScreenOptions>();
    CLI::App* screen = app.add_subcommand(
        "screen", "Copy the instrument's display into a picture (Copy screen / Copy menu)");
    screen->add_flag("--menu", o->menu, "Only the bottom 57 rows of the menu layer");
    screen
        ->add_option("-o,--output", o->output, "The picture: FILE.bmp (Windows bitmap) or FILE.png")
        ->required();
    commands.push_back({screen, [=](Context& ctx) { return runScreen(ctx, *o); }});
}

KRN_CLI_COMMANDS(140, addScreenCommand)

}  // namespace cli
