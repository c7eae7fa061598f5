#pragma once
// FCreaFontKRNV: the font builder's window. The format choice (opFontSize), the font picker, the
// arrow buttons that move the drawing offsets, the preview of every cell as the builder draws
// it, and the create button that writes the format's file. "&Chiudi" saves the preferences.
#include <QDialog>
#include <memory>

#include "platform/qt/qt_glyph_renderer.h"
#include "resources/font_preferences.h"
#include "service/core/command_host.h"

class QButtonGroup;
class QLabel;

namespace app {

class FCreaFontKRNV final : public QDialog {
    Q_OBJECT
public:
    FCreaFontKRNV(service::CommandHost& host, QWidget* parent = nullptr);
    ~FCreaFontKRNV() override;

    resources::FontFormat format() const;
    void setFormat(resources::FontFormat format);
    const resources::FontSettings& current() const { return prefs_.font(format()); }
    // Moves the drawing offsets by (dx, dy) pixels and draws again.
    void moveOffset(int dx, int dy);
    // cmdFont_Click: the font picker, then the preview.
    void cmdFont_Click();
    // cmdCrea_Click: draws, scans and writes the format's file.
    void cmdCrea_Click();
    // "&Chiudi": saves the preferences and closes.
    void cmdChiudi_Click();
    // Draws the preview of the current format and font.
    void preview();
    QString fontShown() const;
    QString resultShown() const;

private:
    service::CommandHost& host_;
    resources::CPreferenze prefs_;
    platform::qt::QtGlyphRenderer renderer_;
    QButtonGroup* opFontSize_;
    QLabel* picture_;
    QLabel* fontLabel_;
    QLabel* offsetLabel_;
    QLabel* resultLabel_;
};

}  // namespace app
