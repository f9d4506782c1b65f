#pragma once

#include "model/collection.h"
#include "output/diagrampainter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace vexil {

// One twin as the outputs show it beside the item's own diagram.
struct TwinDiagram {
    QString label; // "b"
    // Its label and change as Popeye heads the twin: "b) wRg6-->g7", "+c) -bPc4".
    QString caption;
    Board board;
    QString stipulation;
    QString condition;
    // Why the twin could not be built; the outputs write it where its diagram would be.
    QString error;
};

// The twins of an item whose positions differ from its own diagram: b), c), ..., and a) too
// when a zero position makes a) a twin of its own. Empty for an item without twins.
QList<TwinDiagram> TwinDiagramsOf(const Item& item);

// The text lines of the twins' positions: per twin its caption, then its pieces as the
// labelled text lists the item's, its stipulation, condition and piece count; a twin that
// could not be built gives its caption and the reason.
QStringList TwinPositionLines(const QList<TwinDiagram>& twins);

// The twin's diagram at `geometry`, or, for a twin that could not be built, a frame of the
// diagram's size with the reason written inside it.
void PaintTwinPosition(QPainter& painter, const DiagramGeometry& geometry, const TwinDiagram& twin,
                       const DiagramStyle& style);

// A caption as it fits `width` in two lines of `metrics`' font: whole, or cut with an
// ellipsis, so that a long change never runs into the diagram under it.
QString FittedCaption(const QString& caption, const QFontMetricsF& metrics, qreal width);

// The clipboard's picture with the twins: the item's own diagram, then each twin's, all of
// `squareSize` pixels per square, up to four across, each twin's caption under its diagram.
// Pixel for pixel the item's diagram is the one `DiagramBitmap` draws.
QImage TwinSheetBitmap(const Board& board, const QList<TwinDiagram>& twins, int squareSize,
                       const DiagramStyle& style);
// The size of that picture, and its drawing on any painter (an SVG generator's too).
QSize TwinSheetSize(qsizetype twinCount, int squareSize);
void PaintTwinSheet(QPainter& painter, const Board& board, const QList<TwinDiagram>& twins,
                    int squareSize, const DiagramStyle& style);

} // namespace vexil
