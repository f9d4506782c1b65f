#include "output/diagram.h"

#include "model/piece.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

namespace vexil {

DiagramColours StandardDiagramColours()
{
    return {QColor(255, 255, 255), QColor(192, 192, 192)};
}

DiagramColours CustomDiagramColours(const Settings& settings)
{
    return {PaintColor(settings.White), PaintColor(settings.Black)};
}

QFont DiagramLabelFont()
{
    QFont font = QGuiApplication::font();
    // 8 points on a 96-dpi screen; fixed in pixels so the label is the same on every screen.
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

QFont FitLabelFont(const QString& label, int cellWidth, const QFont& baseFont)
{
    const qreal room = cellWidth - 2;
    auto fits = [&](const QFont& font) {
        return QFontMetricsF(font).horizontalAdvance(label) <= room;
    };
    if (fits(baseFont))
        return baseFont;
    // Smaller first, down to three quarters: below that a label of 8 points is hard to read.
    QFont font = baseFont;
    const bool pixels = baseFont.pixelSize() > 0;
    const qreal size = pixels ? baseFont.pixelSize() : baseFont.pointSizeF();
    for (int step = 1; step <= 5; ++step) {
        const qreal smaller = size * (1.0 - 0.05 * step);
        if (pixels)
            font.setPixelSize(qMax(1, qRound(smaller)));
        else
            font.setPointSizeF(smaller);
        if (fits(font))
            return font;
    }
    // Then narrower letters: a condensed face where the font has one, else condensed glyphs.
    for (int stretch = 95; stretch >= 50; stretch -= 5) {
        font.setStretch(stretch);
        if (fits(font))
            return font;
    }
    return font;
}

QImage DiagramBitmap(const Board& board, int c, const DiagramColours& colours,
                     const PictureSet& pictures, const FairyPictures& fairyPictures)
{
    const int side = DiagramSide(c);
    QImage image(side, side, QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintDiagram(p, DiagramGeometry::pixels(c), board,
                 {colours, FairyDrawing::Generic, &pictures, &fairyPictures});
    return image;
}

QImage ReducedTo16Colours(const QImage& image)
{
    static const QList<QRgb> classic = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return image.convertToFormat(QImage::Format_Indexed8, classic,
                                 Qt::ThresholdDither | Qt::AvoidDither);
}

} // namespace vexil
