#include "service/texts/fonts.h"

#include "resources/language_files.h"
#include "service/core/messages.h"

namespace service {

std::optional<resources::FontSettings> pickFont(platform::Dialogs& dialogs,
                                                platform::GlyphRenderer& renderer,
                                                const resources::FontSettings& current) {
    for (;;) {
        const auto choice = dialogs.chooseFont(resources::fontChoice(current));
        if (!choice) return std::nullopt;
        if (renderer.selectFont(*choice)) {
            resources::FontSettings chosen = current;
            chosen.name = choice->family;
            chosen.size = choice->pointSize;
            chosen.bold = choice->bold;
            chosen.italic = choice->italic;
            return chosen;
        }
        const auto again = dialogs.message(
            {"Riprovo?", "", platform::MessageIcon::Question, platform::MessageButtons::YesNo, 0});
        if (again != platform::MessageResult::Yes) return std::nullopt;
    }
}

FontBuild createFontFile(CommandHost& host, platform::GlyphRenderer& renderer,
                         resources::FontFormat format, const resources::FontSettings& font,
                         const std::string& path, bool writeFile) {
    FontBuild b;
    b.path = path.empty()
                 ? resources::joinPath(host.programFolder(), resources::fontGeometry(format).file)
                 : path;
    if (!renderer.selectFont(resources::fontChoice(font))) {
        host.dialogs().message({"Font non disponibile: " + font.name, "",
                                platform::MessageIcon::Exclamation, platform::MessageButtons::Ok,
                                0});
        b.outcome = Outcome::Refused;
        return b;
    }
    b.family = renderer.actualFamily();
    b.glyphs = resources::buildFont(renderer, format, font);
    if (!writeFile) return b;
    if (!resources::replaceRawLines(b.path, resources::fontFileLines(b.glyphs))) {
        host.dialogs().message({std::string(text::kCannotWriteFile) + b.path, "",
                                platform::MessageIcon::Exclamation, platform::MessageButtons::Ok,
                                0});
        b.outcome = Outcome::FileError;
    } else {
        host.activity.push_back("saved: " + b.path);
    }
    return b;
}

}  // namespace service
