#include "output/diagram.h"

#include "model/piece.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <array>

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
    const int inset = c == 27 ? 2 : 1;
    QImage image(side, side, QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::white);

    // The screen's picture list may be rendered for a high-density screen; the diagram's own
    // pixels want the figures drawn for exactly 25 pixels.
    std::array<QImage, PictureSet::kBuiltIn> builtIn;
    auto picture = [&](int index) -> QImage {
        if (index < 0 || index >= PictureSet::kBuiltIn || pictures.devicePixelRatio() == 1.0)
            return pictures.large(index);
        if (builtIn[index].isNull())
            builtIn[index] = PictureSet::render(index, PictureSet::kLarge, 1.0);
        return builtIn[index];
    };

    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, side - 1, side - 1);
    const QFont font = DiagramLabelFont();
    p.setFont(font);
    const QFontMetrics metrics(font);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    for (int r = 0; r < 8; ++r)
        for (int k = 0; k < 8; ++k) {
            const QColor colour = (r + k) % 2 ? colours.dark : colours.light;
            const QRect square(k * c + 1, r * c + 1, c, c);
            p.fillRect(square, colour);
            const PieceCode code = board.at(r, k);
            if (code == 0)
                continue;
            const int index = PictureIndex(code, fairyPictures);
            const QImage figure = picture(index);
            if (!figure.isNull())
                p.drawImage(QRect(k * c + inset, r * c + inset, PictureSet::kLarge,
                                  PictureSet::kLarge),
                            figure);
            QString label;
            QFont labelFont = font;
            int x = k * c + 1;
            if (index >= piece::kFairyWhite && index <= piece::kFairyNeutral) {
                label = FairyLabel(code);
                labelFont = FitLabelFont(label, c, font);
                const int width = QFontMetrics(labelFont).horizontalAdvance(label);
                x += (c - width) / 2;
            } else if (index > piece::kLastBase) {
                label = SpecificationLetter(Piece(code).specification()).toUpper();
            }
            if (label.isEmpty())
                continue;
            // Written opaquely: the label's cell takes the square's colour over the figure.
            const QFontMetrics labelMetrics(labelFont);
            const QRect cell(x, r * c + 1, labelMetrics.horizontalAdvance(label),
                             metrics.height());
            p.fillRect(cell.intersected(square), colour);
            p.setPen(Qt::black);
            p.setFont(labelFont);
            p.setClipRect(square);
            p.drawText(x, r * c + 1 + metrics.ascent(), label);
            p.setClipping(false);
        }
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
