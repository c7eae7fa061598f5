#pragma once
// The font builder's steps that are not drawing: the font picker with its "Riprovo?" rule and
// the font file written from the drawn glyphs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/glyph_renderer.h"
#include "resources/font_builder.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// The font dialog until a font can be drawn with: nothing when the technician cancelled, or
// answered No to "Riprovo?" after a font that could not be made.
std::optional<resources::FontSettings> pickFont(platform::Dialogs& dialogs,
                                                platform::GlyphRenderer& renderer,
                                                const resources::FontSettings& current);

struct FontBuild {
    Outcome outcome = Outcome::Done;
    std::string family;                             // the family actually drawn with
    std::vector<std::vector<std::uint8_t>> glyphs;  // the rows written, per character
    std::string path;                               // the file written
};

// Draws the format's characters with the settings, scans them and writes the font file (path,
// or the format's file in the program folder when empty). writeFile false: a preview, which
// draws and scans and writes nothing.
FontBuild createFontFile(CommandHost& host, platform::GlyphRenderer& renderer,
                         resources::FontFormat format, const resources::FontSettings& font,
                         const std::string& path = {}, bool writeFile = true);

}  // namespace service
