#include "output/twindiagrams.h"

#include "output/diagram.h"
#include "output/itemtext.h"
#include "solution/twins.h"

#include <QFontMetricsF>
#include <QPainter>

namespace vexil {
namespace {

constexpr int kSheetAcross = 4;
constexpr int kSheetGap = 8;

// Two lines of the label font under each diagram of the sheet.
qreal sheetCaptionHeight()
{
    return 2 * QFontMetricsF(DiagramLabelFont()).lineSpacing() + 4;
}

} // namespace

QList<TwinDiagram> TwinDiagramsOf(const Item& item)
{
    QList<TwinDiagram> out;
    for (const Twin& twin : BuildTwins(item)) {
        // The diagram itself, as a) or as the one position of an item without twins.
        if (twin.line.isEmpty())
            continue;
        TwinDiagram shown;
        // A line that failed before it changed anything has no header; its own words say
        // what was asked for.
        const QString change =
            twin.header.isEmpty() && !twin.error.isEmpty() ? twin.line.trimmed() : twin.header;
        shown.label = twin.label;
        shown.caption = (twin.continued ? QStringLiteral("+") : QString()) + twin.label +
                        QLatin1Char(')') + (change.isEmpty() ? QString() : u' ' + change);
        shown.board = twin.board;
        shown.stipulation = twin.stipulation;
        shown.condition = twin.condition;
        shown.error = twin.error;
        out << shown;
    }
    return out;
}

QStringList TwinPositionLines(const QList<TwinDiagram>& twins)
{
    QStringList lines;
    for (const TwinDiagram& twin : twins) {
        lines << twin.caption;
        if (!twin.error.isEmpty()) {
            lines << twin.error;
            continue;
        }
        lines << PieceListLines(twin.board);
        lines << (twin.stipulation + QLatin1Char(' ') + twin.condition).trimmed() +
                     QLatin1Char(' ') + PieceCountText(twin.board);
    }
    return lines;
}

void PaintTwinPosition(QPainter& p, const DiagramGeometry& g, const TwinDiagram& twin,
                       const DiagramStyle& style)
{
    if (twin.error.isEmpty()) {
        PaintDiagram(p, g, twin.board, style);
        return;
    }
    // No position to show: the frame keeps the diagram's place, the reason fills it.
    const QRectF whole(g.origin, QSizeF(g.side(), g.side()));
    p.save();
    p.setPen(QPen(Qt::black, g.frame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(whole.adjusted(g.frame / 2, g.frame / 2, -g.frame / 2, -g.frame / 2));
    QFont font = DiagramLabelFont();
    font.setBold(false);
    font.setPixelSize(qMax(1, qRound(g.side() / 14)));
    p.setFont(font);
    const qreal margin = g.side() / 12;
    p.drawText(whole.adjusted(margin, margin, -margin, -margin), Qt::AlignCenter | Qt::TextWordWrap,
               twin.error);
    p.restore();
}

QString FittedCaption(const QString& caption, const QFontMetricsF& metrics, qreal width)
{
    const QRectF box(0, 0, width, 1e6);
    // A word longer than the width is not broken: it would stick out.
    auto fits = [&](const QString& text) {
        const QRectF used = metrics.boundingRect(box, Qt::TextWordWrap, text);
        return used.height() <= 2 * metrics.lineSpacing() + 0.5 && used.width() <= width + 0.5;
    };
    if (fits(caption))
        return caption;
    QString text = caption;
    qreal room = 2 * width;
    while (text.size() > 1 && !fits(text)) {
        room -= metrics.averageCharWidth();
        text = metrics.elidedText(caption, Qt::ElideRight, room);
    }
    return text;
}

QSize TwinSheetSize(qsizetype twinCount, int squareSize)
{
    const int count = int(twinCount) + 1;
    const int across = qMin(count, kSheetAcross);
    const int rows = (count + kSheetAcross - 1) / kSheetAcross;
    const int side = DiagramSide(squareSize);
    const int cellHeight = side + qCeil(sheetCaptionHeight());
    return QSize(across * side + (across - 1) * kSheetGap,
                 rows * cellHeight + (rows - 1) * kSheetGap);
}

void PaintTwinSheet(QPainter& p, const Board& board, const QList<TwinDiagram>& twins,
                    int squareSize, const DiagramStyle& style)
{
    const int side = DiagramSide(squareSize);
    const qreal caption = sheetCaptionHeight();
    const int cellHeight = side + qCeil(caption);
    auto geometryAt = [&](int index) {
        DiagramGeometry g = DiagramGeometry::pixels(squareSize);
        g.origin = QPointF((index % kSheetAcross) * (side + kSheetGap),
                           (index / kSheetAcross) * (cellHeight + kSheetGap));
        return g;
    };
    PaintDiagram(p, geometryAt(0), board, style);
    QFont font = DiagramLabelFont();
    font.setBold(false);
    for (int i = 0; i < twins.size(); ++i) {
        const DiagramGeometry g = geometryAt(i + 1);
        PaintTwinPosition(p, g, twins[i], style);
        p.setPen(Qt::black);
        p.setFont(font);
        const QFontMetricsF metrics(font);
        const QRectF box(g.origin.x(), g.origin.y() + side + 2, side, caption - 2);
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   FittedCaption(twins[i].caption, metrics, side));
    }
}

QImage TwinSheetBitmap(const Board& board, const QList<TwinDiagram>& twins, int squareSize,
                       const DiagramStyle& style)
{
    QImage image(TwinSheetSize(twins.size(), squareSize), QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintTwinSheet(p, board, twins, squareSize, style);
    return image;
}

} // namespace vexil
