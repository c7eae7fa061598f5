#pragma once
// The font builder's drawing surface on an offscreen QImage. Needs a QGuiApplication (krnctl
// and krnsetup both create one; krnctl runs on the "offscreen" platform when none is set).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/glyph_renderer.h"

class QImage;
class QFont;

namespace platform::qt {

class QtGlyphRenderer final : public GlyphRenderer {
public:
    QtGlyphRenderer();
    ~QtGlyphRenderer() override;

    bool selectFont(const FontChoice& font) override;
    std::string actualFamily() const override;
    void clear(int width, int height) override;
    void drawFrame(int left, int top, int right, int bottom) override;
    void drawCharacter(int x, int y, unsigned char character) override;
    long colour(int x, int y) const override;

    const QImage& image() const { return *image_; }

private:
    std::unique_ptr<QImage> image_;
    std::unique_ptr<QFont> font_;
};

// An enlarged picture of every glyph (rows of bytes, leftmost pixel in bit 7) with its number
// below it, saved as PNG; false when it cannot be written.
bool writeGlyphSheet(const std::string& path, const std::vector<std::vector<std::uint8_t>>& glyphs,
                     int width, const std::string& caption);

}  // namespace platform::qt
