#include "model/pictureset.h"

#include "model/piece.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace vexil {
namespace {

using Figure = FigureShape;
using enum FigureShape;

QPainterPath glyphPath(QChar glyph, qreal size)
{
    QPainterPath path;
    const QString family = PictureSet::figureFamily();
    if (family.isEmpty())
        return path;
    QFont font(family);
    font.setPixelSize(qMax(1, qRound(size)));
    font.setStyleStrategy(QFont::NoFontMerging);
    // Another font's figure, or the box of a missing glyph, would not be ours.
    if (!QFontMetricsF(font).inFont(glyph))
        return path;
    path.addText(0, 0, font, QString(glyph));
    return path;
}

// Fits the solid and the outlined glyph of a figure into the unit square, standing on its
// base, and returns both paths in the same coordinates. False, with empty paths, when the
// font gave no outline to fit.
bool unitFigurePaths(Figure figure, QPainterPath& solid, QPainterPath& outline)
{
    // Offsets of the figures from the king in the Unicode chess block.
    static constexpr int offset[] = {5, 2, 4, 3, 1, 0};
    // Outlines taken at a large size, where the font's hinting changes nothing.
    constexpr qreal size = 256;
    const QChar white(char16_t(0x2654 + offset[int(figure)]));
    const QChar black(char16_t(0x265A + offset[int(figure)]));
    solid = glyphPath(black, size);
    outline = glyphPath(white, size);
    const QRectF box = solid.boundingRect().united(outline.boundingRect());
    const qreal extent = qMax(box.width(), box.height());
    if (!(extent > 0) || !qIsFinite(extent)) {
        solid = outline = QPainterPath();
        return false;
    }
    const qreal scale = 0.88 / extent;
    QTransform t;
    t.translate(0.5, 0.94);
    t.scale(scale, scale);
    t.translate(-box.center().x(), -box.bottom());
    solid = t.map(solid);
    outline = t.map(outline);
    return true;
}

// The unit paths of each figure, made once: a diagram of many pieces, or a booklet of many
// diagrams, would otherwise lay out the same glyphs again for every square.
struct FigureOutline {
    bool valid = false;
    QPainterPath solid, outline;
};
const FigureOutline& figureOutline(Figure figure)
{
    static const std::array<FigureOutline, 6> outlines = [] {
        std::array<FigureOutline, 6> all;
        for (int f = 0; f < 6; ++f)
            all[f].valid = unitFigurePaths(Figure(f), all[f].solid, all[f].outline);
        return all;
    }();
    return outlines[int(figure)];
}

void drawGeneric(QPainter& p, int side, qreal size);

void drawFigure(QPainter& p, Figure figure, bool whiteSide, qreal size)
{
    const FigureOutline& figureShape = figureOutline(figure);
    if (!figureShape.valid) {
        // Only a font that failed to load gets here; a square must never look empty.
        drawGeneric(p, whiteSide ? 0 : 1, size);
        return;
    }
    p.save();
    p.scale(size, size);
    if (whiteSide) {
        // The solid silhouette in white behind the outline gives an opaque white figure.
        p.fillPath(figureShape.solid, Qt::white);
        p.fillPath(figureShape.outline, Qt::black);
    } else {
        p.fillPath(figureShape.solid, Qt::black);
    }
    p.restore();
}

void drawNeutral(QPainter& p, Figure figure, qreal size)
{
    p.save();
    p.setClipRect(QRectF(0, 0, size / 2, size));
    drawFigure(p, figure, true, size);
    p.setClipRect(QRectF(size / 2, 0, size / 2, size));
    drawFigure(p, figure, false, size);
    p.restore();
}

// The generic fairy figure: a stout rounded body in the lower half of the square, so that
// the label written above it stays readable.
void drawGeneric(QPainter& p, int side, qreal size)
{
    const qreal pen = qMax(1.0, size / 18);
    QPainterPath body;
    const QRectF base(size * 0.18, size * 0.80, size * 0.64, size * 0.14);
    body.addRoundedRect(base, size * 0.04, size * 0.04);
    body.addEllipse(QRectF(size * 0.28, size * 0.50, size * 0.44, size * 0.36));
    body = body.simplified();
    p.setPen(QPen(Qt::black, pen));
    if (side == 2) {
        p.save();
        p.setClipRect(QRectF(0, 0, size / 2, size));
        p.setBrush(Qt::white);
        p.drawPath(body);
        p.setClipRect(QRectF(size / 2, 0, size / 2, size));
        p.setBrush(Qt::black);
        p.drawPath(body);
        p.restore();
    } else {
        p.setBrush(side == 0 ? Qt::white : Qt::black);
        p.drawPath(body);
    }
}

void drawMarker(QPainter& p, int marker, qreal size)
{
    const qreal pen = qMax(1.0, size / 14);
    p.setPen(QPen(Qt::black, pen, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF box(size * 0.18, size * 0.18, size * 0.64, size * 0.64);
    switch (marker) {
    case 0: { // striped disc
        QPainterPath disc;
        disc.addEllipse(box);
        p.save();
        p.setClipPath(disc);
        p.fillPath(disc, Qt::white);
        const int stripes = 4;
        const qreal h = box.height() / (2 * stripes);
        for (int i = 0; i < stripes; ++i)
            p.fillRect(QRectF(box.left(), box.top() + (2 * i + 1) * h, box.width(), h), Qt::black);
        p.restore();
        p.drawEllipse(box);
        break;
    }
    case 1: // square frame
        p.drawRect(box);
        break;
    default: // diagonal cross
        p.setPen(QPen(Qt::black, pen * 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
        break;
    }
}

} // namespace

QString PictureSet::figureFamily()
{
    // The figures travel with the program, so they look the same whatever fonts the system
    // has. The family is named apart from DejaVu Sans, so a system copy can never stand in.
    static const QString family = [] {
        const int id =
            QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/VexilFigures.ttf"));
        const QStringList loaded = QFontDatabase::applicationFontFamilies(id);
        return loaded.isEmpty() ? QString() : loaded.first();
    }();
    return family;
}

void PaintPicture(QPainter& p, int index, qreal s)
{
    if (index <= 0 || index >= PictureSet::kBuiltIn || !(s > 0))
        return;
    // Pictures 1 to 16 show the piece of the same base.
    const Piece shown(index);
    if (shown.isOrthodox()) {
        drawFigure(p, Figure((index - 1) / 2), shown.isWhite(), s);
    } else if (shown.isGrasshopper() || shown.isNightrider()) {
        // Grasshopper and nightrider: queen and knight turned upside down.
        PaintFigureShape(p, shown.isGrasshopper() ? Queen : Knight, shown.isWhite() ? 0 : 1, 2, s);
    } else if (index <= 19) {
        drawGeneric(p, index - 17, s);
    } else {
        drawMarker(p, index - 20, s);
    }
}

void PaintFigureShape(QPainter& p, FigureShape figure, int side, int quarterTurns, qreal s)
{
    p.save();
    if (quarterTurns % 4 != 0) {
        p.translate(s / 2, s / 2);
        p.rotate(90.0 * (quarterTurns % 4));
        p.translate(-s / 2, -s / 2);
    }
    if (side == 2)
        drawNeutral(p, figure, s);
    else
        drawFigure(p, figure, side == 0, s);
    p.restore();
}

QImage PictureSet::render(int index, int size, qreal dpr)
{
    QImage image(QSize(size, size) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    if (index <= 0 || index >= kBuiltIn || size <= 0 || image.isNull())
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    PaintPicture(p, index, size);
    return image;
}

PictureSet::PictureSet(qreal dpr) : m_dpr(dpr)
{
    for (int i = 0; i < kBuiltIn; ++i) {
        m_large << render(i, kLarge, dpr);
        m_small << render(i, kSmall, dpr);
    }
}

int PictureSet::appendLarge(const QImage& picture)
{
    m_large << picture;
    return int(m_large.size()) - 1;
}

QImage PictureSet::large(int index) const
{
    return index >= 0 && index < m_large.size() ? m_large[index] : QImage();
}

QImage PictureSet::small(int index) const
{
    return index >= 0 && index < m_small.size() ? m_small[index] : QImage();
}

void LoadFairyPictures(const QString& folder, PictureSet& set, FairyPictures& pictures)
{
    const QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*.bmp")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QFileInfo& info : files) {
        if (info.size() != 518)
            continue;
        QImage bitmap;
        if (!bitmap.load(info.filePath(), "BMP") || bitmap.size() != QSize(25, 25))
            continue;
        QImage picture = bitmap.convertToFormat(QImage::Format_ARGB32);
        const QRgb silver = qRgb(192, 192, 192);
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (silver & 0xFFFFFF))
                    line[x] = qRgba(0, 0, 0, 0);
        }
        const QString key = info.fileName().section(QLatin1Char('.'), 0, 0).toUpper();
        pictures.append(key, set.appendLarge(picture));
    }
}

} // namespace vexil
