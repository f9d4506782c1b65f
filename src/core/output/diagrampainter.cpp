#include "output/diagrampainter.h"

#include "model/piece.h"
#include "output/diagram.h"
#include "output/magazinefigures.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vexil {
namespace {

// A label written over its figure: the square's colour behind it, so it stays readable over
// the figure, then the letters as a filled path. `left` is in label-square units from the
// square's left edge; everything is scaled from the label square to the square drawn.
struct LabelShape {
    QPainterPath path;
    QRectF background;
};

// Labels come from a small vocabulary; each is laid out once.
const LabelShape& labelShape(const QString& label, int labelSquare, bool centred)
{
    static QHash<QString, LabelShape> shapes;
    const QString key = label + QLatin1Char('|') + QString::number(labelSquare) +
                        (centred ? QLatin1Char('c') : QLatin1Char('l'));
    auto it = shapes.find(key);
    if (it != shapes.end())
        return *it;
    const QFont base = DiagramLabelFont();
    const QFont font = centred ? FitLabelFont(label, labelSquare, base) : base;
    const qreal width = QFontMetricsF(font).horizontalAdvance(label);
    const QFontMetricsF metrics(base);
    // Whole pixels, as the bitmap has always placed its labels.
    const qreal left = centred ? std::trunc((labelSquare - width) / 2) : 0;
    LabelShape shape;
    shape.path.addText(left, metrics.ascent(), font, label);
    shape.background = QRectF(left, 0, width, metrics.height());
    return *shapes.insert(key, shape);
}

// A label written over its figure: the square's colour behind it, so it stays readable over
// the figure, then the letters as a filled path, laid out in the label square and scaled to
// the square drawn.
void paintLabel(QPainter& p, const DiagramGeometry& g, const QRectF& square, const QColor& colour,
                const QString& label, bool centred)
{
    if (label.isEmpty())
        return;
    const LabelShape& shape = labelShape(label, qRound(g.labelSquare), centred);
    const qreal k = g.square / g.labelSquare;
    p.save();
    p.setClipRect(square);
    p.translate(square.topLeft());
    p.scale(k, k);
    p.fillRect(shape.background, colour);
    p.fillPath(shape.path, Qt::black);
    p.restore();
}

} // namespace

void paintPiece(QPainter& p, const DiagramGeometry& g, const QRectF& square, bool dark,
                PieceCode code, const DiagramStyle& style);

DiagramGeometry DiagramGeometry::pixels(int c)
{
    DiagramGeometry g;
    g.square = c;
    g.labelSquare = c;
    g.inset = c == 27 ? 1 : 0;
    return g;
}

DiagramGeometry DiagramGeometry::scaled(QPointF origin, qreal side)
{
    const qreal k = side / DiagramSide(27);
    DiagramGeometry g;
    g.origin = origin;
    g.square = 27 * k;
    g.frame = k;
    g.inset = k;
    g.figure = 25 * k;
    return g;
}

QRectF DiagramGeometry::squareRect(int row, int column) const
{
    return QRectF(origin.x() + frame + column * square, origin.y() + frame + row * square, square,
                  square);
}

void PaintDiagramSquare(QPainter& p, const DiagramGeometry& g, const QRectF& square, bool dark,
                        PieceCode code, const DiagramStyle& style)
{
    p.fillRect(square, dark ? style.colours.dark : style.colours.light);
    paintPiece(p, g, square, dark, code, style);
}

void paintPiece(QPainter& p, const DiagramGeometry& g, const QRectF& square, bool dark,
                PieceCode code, const DiagramStyle& style)
{
    const QColor colour = dark ? style.colours.dark : style.colours.light;
    const Piece piece(code);
    if (piece.isEmpty())
        return;
    const FairyPictures none;
    const int index = PictureIndex(code, style.fairyPictures ? *style.fairyPictures : none);
    const QRectF box(square.left() + g.inset, square.top() + g.inset, g.figure, g.figure);
    const QString specification = SpecificationLetter(piece.specification()).toUpper();

    if (index >= PictureSet::kBuiltIn) {
        // A loaded picture is a bitmap of its own; it is the user's choice for that kind.
        if (style.pictures)
            p.drawImage(box, style.pictures->large(index));
        paintLabel(p, g, square, colour, specification, false);
        return;
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.topLeft());
    const std::optional<MagazineFigure> magazine =
        piece.isFairy() && style.fairy == FairyDrawing::Magazine ? MagazineFigureOf(code)
                                                                 : std::nullopt;
    const std::optional<FigureShape> shape =
        magazine ? magazine->shape() : std::optional<FigureShape>();
    if (shape) {
        const int side = piece.isNeutral() ? 2 : piece.isWhite() ? 0 : 1;
        PaintFigureShape(p, *shape, side, magazine->quarterTurns, g.figure);
    } else {
        PaintPicture(p, index, g.figure);
    }
    p.restore();
    if (shape)
        paintLabel(p, g, square, colour, specification, false);
    else if (index >= piece::kFairyWhite && index <= piece::kFairyNeutral)
        paintLabel(p, g, square, colour, FairyLabel(code), true);
}

void PaintDiagram(QPainter& p, const DiagramGeometry& g, const Board& board,
                  const DiagramStyle& style)
{
    p.fillRect(QRectF(g.origin, QSizeF(g.side(), g.side())), Qt::black);
    // The light squares as one area and the dark ones as one path: a booklet of thousands of
    // diagrams writes two fills per board instead of 64.
    p.fillRect(QRectF(g.squareRect(0, 0).topLeft(), QSizeF(8 * g.square, 8 * g.square)),
               style.colours.light);
    QPainterPath dark;
    for (int r = 0; r < 8; ++r)
        for (int k = (r + 1) % 2; k < 8; k += 2)
            dark.addRect(g.squareRect(r, k));
    p.fillPath(dark, style.colours.dark);
    for (int r = 0; r < 8; ++r)
        for (int k = 0; k < 8; ++k)
            if (board.at(r, k) != 0)
                paintPiece(p, g, g.squareRect(r, k), (r + k) % 2 != 0, board.at(r, k), style);
}

} // namespace vexil
