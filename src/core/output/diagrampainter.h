#pragma once

#include "model/pictureset.h"
#include "model/pieces.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace vexil {

struct DiagramColours {
    QColor light;
    QColor dark;
};

// How fairy pieces are drawn: as the magazines turn orthodox figures (grasshopper: a queen
// upside down), falling back to the generic figure for kinds they have no figure for; or
// always as the generic figure with its label, as the editor shows them.
enum class FairyDrawing { Generic, Magazine };

struct DiagramStyle {
    DiagramColours colours;
    FairyDrawing fairy = FairyDrawing::Generic;
    // The loaded fairy pictures, drawn where `PictureIndex` names one; without them every
    // figure is drawn as paths.
    const PictureSet* pictures = nullptr;
    const FairyPictures* fairyPictures = nullptr;
};

// Where a diagram's parts lie, in the painter's units: a frame of `frame` around 8 x 8
// squares of `square`, each figure `figure` wide at `inset` from its square's top-left
// corner. The label of a fairy figure is laid out as for a square of `labelSquare` pixels in
// the 8-point label font and then scaled to `square`, so it keeps its proportions at any size.
struct DiagramGeometry {
    QPointF origin;
    qreal square = 27;
    qreal frame = 1;
    qreal inset = 1;
    qreal figure = 25;
    qreal labelSquare = 27;

    // The 218 (27) or 202 (25) pixel diagram.
    static DiagramGeometry pixels(int squareSize);
    // The 218 pixel diagram's proportions scaled into a square of side `side` at `origin`.
    static DiagramGeometry scaled(QPointF origin, qreal side);

    qreal side() const { return 8 * square + 2 * frame; }
    QRectF squareRect(int row, int column) const;
};

// Paints the frame, the squares and the figures of `board`: the one drawing of a diagram
// behind the clipboard's bitmap, print, SVG and the PDF booklet. Figures and labels are
// filled paths, so a vector device gets no text and needs no font to show them.
void PaintDiagram(QPainter& painter, const DiagramGeometry& geometry, const Board& board,
                  const DiagramStyle& style);

// One square with its piece, `dark` choosing its colour.
void PaintDiagramSquare(QPainter& painter, const DiagramGeometry& geometry, const QRectF& square,
                        bool dark, PieceCode code, const DiagramStyle& style);

} // namespace vexil
