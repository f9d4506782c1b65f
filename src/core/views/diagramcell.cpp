#include "views/diagramcell.h"

#include "output/diagram.h"

#include "model/piece.h"

#include <QPainter>

namespace vexil {
namespace {

constexpr int kSquare = PictureSet::kSmall;
constexpr QPoint kTitle{10, 10};
constexpr QPoint kSource{10, 25};
constexpr QPoint kFrameTopLeft{10, 42};
constexpr QPoint kFrameBottomRight{180, 212};
constexpr QPoint kFirstSquare{11, 43};
constexpr QPoint kStipulation{10, 214};

// Writes `text` with its top-left corner at `at`, on one line, cut at the cell's right edge.
void writeText(QPainter& painter, QPoint origin, QPoint at, const QString& text)
{
    const int width = kDiagramCellSize.width() - at.x();
    painter.drawText(QRect(origin + at, QSize(width, painter.fontMetrics().height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

SquareColors DiagramSquareColors(const Settings& settings)
{
    if (settings.ViewCust)
        return {PaintColor(settings.White), PaintColor(settings.Black)};
    return {QColor(255, 255, 255), QColor(192, 192, 192)};
}

void PaintDiagramCell(QPainter& painter, QPoint origin, const Entry& entry, const Board& board,
                      const SquareColors& colors, const PictureSet& pictures)
{
    painter.save();
    painter.setClipRect(QRect(origin, kDiagramCellSize), Qt::IntersectClip);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    // A rectangle's outline covers its right and bottom edges as well: the frame's last pixels
    // stand just before the corner (180, 212), next to the squares.
    const QPoint frameSize = kFrameBottomRight - kFrameTopLeft - QPoint(1, 1);
    painter.drawRect(QRect(origin + kFrameTopLeft, QSize(frameSize.x(), frameSize.y())));

    const FairyPictures noFairyPictures; // a fairy piece always shows its generic figure
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            const QRect square(origin + kFirstSquare + QPoint(kSquare * column, kSquare * row),
                               QSize(kSquare, kSquare));
            painter.fillRect(square, (row + column) % 2 == 0 ? colors.light : colors.dark);
            const Piece piece(board.at(row, column));
            if (piece.isEmpty())
                continue;
            if (piece.isFairy()) {
                // The label shows through the upper half of the generic figure.
                const QString label = FairyLabel(piece.code()).toLower();
                // A long label takes a narrower font rather than run into the next square.
                const QFont font = painter.font();
                painter.setFont(FitLabelFont(label, kSquare, font));
                const int x =
                    square.left() + (kSquare - painter.fontMetrics().horizontalAdvance(label)) / 2;
                painter.drawText(QRect(x, square.top(), kSquare * 2, kSquare),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
                painter.setFont(font);
            }
            const QImage picture = pictures.small(PictureIndex(piece.code(), noFairyPictures));
            if (!picture.isNull())
                painter.drawImage(square.topLeft(), picture);
        }
    }

    writeText(painter, origin, kTitle, entry.title);
    writeText(painter, origin, kSource, entry.source);
    writeText(painter, origin, kStipulation, entry.stipulation);
    painter.restore();
}

} // namespace vexil
