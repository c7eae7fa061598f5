#pragma once
// A drawing surface for the font builder: characters drawn with a system font, read back pixel
// by pixel. The programs draw with Qt (an offscreen image); tests draw synthetic glyphs.
#include <string>

#include "platform/dialogs.h"

namespace platform {

class GlyphRenderer {
public:
    virtual ~GlyphRenderer() = default;
    // Chooses the font for the next drawings; false when no font can be made of it.
    virtual bool selectFont(const FontChoice& font) = 0;
    // The family actually drawn with (the system may substitute another for the name asked).
    virtual std::string actualFamily() const = 0;
    // A white surface of width x height pixels.
    virtual void clear(int width, int height) = 0;
    // A one-pixel black rectangle outline through the corners (left, top) and (right, bottom).
    virtual void drawFrame(int left, int top, int right, int bottom) = 0;
    // One Windows-1252 character, black and not smoothed, the top left of its character box at (x,
    // y).
    virtual void drawCharacter(int x, int y, unsigned char character) = 0;
    // The colour of a pixel as R + 256 G + 65536 B; white outside the surface.
    virtual long colour(int x, int y) const = 0;
};

}  // namespace platform
