#include "platform/qt/qt_glyph_renderer.h"

#include "platform/qt/qt_image_file.h"

#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "platform/text_file.h"

namespace platform::qt {

QtGlyphRenderer::QtGlyphRenderer()
    : image_(std::make_unique<QImage>()), font_(std::make_unique<QFont>()) {}

QtGlyphRenderer::~QtGlyphRenderer() = default;

bool QtGlyphRenderer::selectFont(const FontChoice& font) {
    if (font.family.empty() || font.pointSize <= 0 || font.pointSize > 200) return false;
    QFont f(QString::fromStdString(font.family));
    // The pixel size of a point size on a 96 dpi screen, as the instrument fonts were drawn.
    f.setPixelSize(std::max(1, (font.pointSize * 96 + 36) / 72));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    *font_ = f;
    return true;
}

std::string QtGlyphRenderer::actualFamily() const {
    return QFontInfo(*font_).family().toStdString();
}

void QtGlyphRenderer::clear(int width, int height) {
    *image_ = QImage(width, height, QImage::Format_RGB32);
    image_->fill(Qt::white);
}

void QtGlyphRenderer::drawFrame(int left, int top, int right, int bottom) {
    QPainter p(image_.get());
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(left, top, right - left, bottom - top);
}

void QtGlyphRenderer::drawCharacter(int x, int y, unsigned char character) {
    QPainter p(image_.get());
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setPen(Qt::black);
    p.setFont(*font_);
    const QString text =
        QString::fromStdString(cp1252ToUtf8(std::string(1, static_cast<char>(character))));
    p.drawText(QRect(x, y, 64, 64), Qt::AlignLeft | Qt::AlignTop, text);
}

long QtGlyphRenderer::colour(int x, int y) const {
    if (!image_->valid(x, y)) return 0xFFFFFF;
    const QRgb c = image_->pixel(x, y);
    return qRed(c) + 256L * qGreen(c) + 65536L * qBlue(c);
}

bool writeGlyphSheet(const std::string& path, const std::vector<std::vector<std::uint8_t>>& glyphs,
                     int width, const std::string& caption) {
    constexpr int kScale = 6, kPerRow = 16, kGap = 18, kMargin = 10, kCaption = 24;
    const int rows = glyphs.empty() ? 0 : static_cast<int>(glyphs.front().size());
    const int cellW = width * kScale + kGap, cellH = rows * kScale + kGap;
    const int lines = (static_cast<int>(glyphs.size()) + kPerRow - 1) / kPerRow;
    QImage sheet(2 * kMargin + kPerRow * cellW, 2 * kMargin + kCaption + std::max(1, lines) * cellH,
                 QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont label = p.font();
    label.setPixelSize(10);
    p.setFont(label);
    p.setPen(Qt::black);
    p.drawText(QRect(kMargin, kMargin, sheet.width() - 2 * kMargin, kCaption),
               Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(caption));
    for (int i = 0; i < static_cast<int>(glyphs.size()); ++i) {
        const int ox = kMargin + (i % kPerRow) * cellW,
                  oy = kMargin + kCaption + (i / kPerRow) * cellH;
        p.setPen(QColor(200, 200, 200));
        p.drawRect(ox - 1, oy - 1, width * kScale + 1, rows * kScale + 1);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < width; ++c)
                if (glyphs[static_cast<std::size_t>(i)][static_cast<std::size_t>(r)] & (0x80 >> c))
                    p.fillRect(ox + c * kScale, oy + r * kScale, kScale, kScale, Qt::black);
        p.setPen(Qt::darkBlue);
        p.drawText(QRect(ox, oy + rows * kScale + 1, width * kScale + kGap, kGap - 4),
                   Qt::AlignLeft | Qt::AlignTop, QString::number(i));
    }
    p.end();
    return writePng(sheet, path);
}

}  // namespace platform::qt
