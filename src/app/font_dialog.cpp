#include "app/font_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "resources/font_builder.h"
#include "service/texts/fonts.h"

namespace app {
namespace {

// The preview shows the top of the drawing surface enlarged, where the cells are.
constexpr int kPreviewTop = 90;
constexpr int kPreviewHeight = 70;
constexpr int kPreviewScale = 2;

}  // namespace

FCreaFontKRNV::FCreaFontKRNV(service::CommandHost& host, QWidget* parent)
    : QDialog(parent), host_(host), prefs_(host.settings()) {
    setObjectName("FCreaFontKRNV");
    setWindowTitle("Select font KRN Visual");
    auto* layout = new QVBoxLayout(this);

    auto* formats = new QHBoxLayout;
    opFontSize_ = new QButtonGroup(this);
    const char* names[] = {"6x6", "8x11", "8x10"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(names[i], this);
        b->setObjectName(QString("opFontSize%1").arg(i));
        opFontSize_->addButton(b, i);
        formats->addWidget(b);
    }
    opFontSize_->button(2)->setChecked(true);
    formats->addStretch();
    layout->addLayout(formats);

    picture_ = new QLabel(this);
    picture_->setObjectName("picFont");
    picture_->setMinimumSize(resources::kSurfaceWidth * kPreviewScale,
                             kPreviewHeight * kPreviewScale);
    layout->addWidget(picture_);

    fontLabel_ = new QLabel(this);
    fontLabel_->setObjectName("lblFont");
    offsetLabel_ = new QLabel(this);
    offsetLabel_->setObjectName("lblOffset");
    resultLabel_ = new QLabel(this);
    resultLabel_->setObjectName("lblResult");
    layout->addWidget(fontLabel_);

    auto* row = new QHBoxLayout;
    auto* arrows = new QGridLayout;
    auto arrow = [&](const char* name, const QString& text, int r, int c, int dx, int dy) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setFixedWidth(36);
        connect(b, &QPushButton::clicked, this, [this, dx, dy] { moveOffset(dx, dy); });
        arrows->addWidget(b, r, c);
    };
    arrow("cmdSu", QString::fromUtf8("▲"), 0, 1, 0, -1);
    arrow("cmdSinistra", QString::fromUtf8("◀"), 1, 0, -1, 0);
    arrow("cmdDestra", QString::fromUtf8("▶"), 1, 2, 1, 0);
    arrow("cmdGiu", QString::fromUtf8("▼"), 2, 1, 0, 1);
    row->addLayout(arrows);
    row->addWidget(offsetLabel_);
    row->addStretch();
    auto* font = new QPushButton("&Font...", this);
    font->setObjectName("cmdFont");
    auto* crea = new QPushButton("C&rea", this);
    crea->setObjectName("cmdCrea");
    auto* chiudi = new QPushButton("&Chiudi", this);
    chiudi->setObjectName("cmdChiudi");
    row->addWidget(font);
    row->addWidget(crea);
    row->addWidget(chiudi);
    layout->addLayout(row);
    layout->addWidget(resultLabel_);

    connect(opFontSize_, &QButtonGroup::idClicked, this, [this](int) { preview(); });
    connect(font, &QPushButton::clicked, this, &FCreaFontKRNV::cmdFont_Click);
    connect(crea, &QPushButton::clicked, this, &FCreaFontKRNV::cmdCrea_Click);
    connect(chiudi, &QPushButton::clicked, this, &FCreaFontKRNV::cmdChiudi_Click);
    preview();
}

FCreaFontKRNV::~FCreaFontKRNV() = default;

resources::FontFormat FCreaFontKRNV::format() const {
    return static_cast<resources::FontFormat>(opFontSize_->checkedId());
}

void FCreaFontKRNV::setFormat(resources::FontFormat format) {
    opFontSize_->button(static_cast<int>(format))->setChecked(true);
    preview();
}

void FCreaFontKRNV::moveOffset(int dx, int dy) {
    resources::FontSettings& f = prefs_.font(format());
    f.xOffset += dx;
    f.yOffset += dy;
    preview();
}

void FCreaFontKRNV::cmdFont_Click() {
    if (auto chosen = service::pickFont(host_.dialogs(), renderer_, current()))
        prefs_.font(format()) = *chosen;
    preview();
}

void FCreaFontKRNV::cmdCrea_Click() {
    const auto b = service::createFontFile(host_, renderer_, format(), current());
    if (b.outcome == service::Outcome::Done)
        resultLabel_->setText(QString::fromStdString(
            b.path + ": " + std::to_string(b.glyphs.size()) + " characters"));
    preview();
}

void FCreaFontKRNV::cmdChiudi_Click() {
    prefs_.Salva();
    accept();
}

void FCreaFontKRNV::preview() {
    const resources::FontSettings& f = current();
    if (!renderer_.selectFont(resources::fontChoice(f))) {
        fontLabel_->setText("Font: " + QString::fromStdString(f.name) + " (not available)");
        return;
    }
    resources::drawFont(renderer_, format(), f);
    const QImage part =
        renderer_.image().copy(0, kPreviewTop, resources::kSurfaceWidth, kPreviewHeight);
    picture_->setPixmap(QPixmap::fromImage(
        part.scaled(part.width() * kPreviewScale, part.height() * kPreviewScale)));
    const QString used = QString::fromStdString(renderer_.actualFamily());
    QString text = "Font: " + QString::fromStdString(f.name) + ", " + QString::number(f.size) +
                   " pt" + (f.bold ? ", bold" : "") + (f.italic ? ", italic" : "");
    if (used != QString::fromStdString(f.name)) text += "  -  drawn with " + used;
    fontLabel_->setText(text);
    offsetLabel_->setText(QString("X %1   Y %2").arg(f.xOffset).arg(f.yOffset));
}

QString FCreaFontKRNV::fontShown() const {
    return fontLabel_->text();
}
QString FCreaFontKRNV::resultShown() const {
    return resultLabel_->text();
}

}  // namespace app
